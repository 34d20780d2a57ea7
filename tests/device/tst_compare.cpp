// Project against device slot by slot, "Take from device", the learn-twice check of two
// captures, and how lists of slots are written.
#include <support/devicerig.h>
#include <support/records.h>

#include <device/compare.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>

#include <QTest>

#include <variant>

using namespace qlv;
using namespace qlv::test;

Q_DECLARE_METATYPE(qlv::CodeRecord)
Q_DECLARE_METATYPE(qlv::SlotDifference)

namespace {

CodeRecord erased()
{
    CodeRecord record;
    record.fill(0xFF);
    return record;
}

CodeRecord rendered(std::string_view protocol, std::vector<ProtocolParameter> parameters)
{
    return std::get<CodeRecord>(recordFromProtocol(protocol, parameters));
}

// A code of no known protocol, each duration scaled (jitter) and one optionally lengthened.
CodeRecord raw(double scale, std::size_t longer = 99)
{
    IrSignal signal;
    signal.frequency = 40000;
    signal.intro = {3000, 1000, 700, 2500, 1400, 900, 700, 30000};
    for (std::size_t i = 0; i < signal.intro.size(); ++i)
        signal.intro[i] = std::uint32_t(signal.intro[i] * scale * (i == longer ? 2.0 : 1.0));
    return std::get<CodeRecord>(recordFromSignal(signal));
}

CodeRecord named(CodeRecord record, std::string_view name)
{
    writeName(record, name);
    return record;
}

} // namespace

class TestCompare : public QObject {
    Q_OBJECT

private slots:
    void slotsCompare_data()
    {
        QTest::addColumn<CodeRecord>("project");
        QTest::addColumn<CodeRecord>("device");
        QTest::addColumn<SlotDifference>("difference");
        const CodeRecord code = oneCodeRecord(48, "Power");
        CodeRecord byte255 = code;
        byte255[255] = 0x5A;
        CodeRecord otherCode = code;
        otherCode[20] ^= 0x10;
        QTest::newRow("equal") << code << code << SlotDifference::Equal;
        QTest::newRow("byte 255 alone") << byte255 << code << SlotDifference::Equal;
        QTest::newRow("both erased") << erased() << erased() << SlotDifference::Equal;
        QTest::newRow("name") << named(code, "Mute") << code << SlotDifference::NameOnly;
        QTest::newRow("code") << otherCode << code << SlotDifference::CodeOnly;
        QTest::newRow("name and code")
            << named(otherCode, "Mute") << code << SlotDifference::NameAndCode;
        QTest::newRow("empty in project") << erased() << code << SlotDifference::EmptyInProject;
        QTest::newRow("empty in device") << code << erased() << SlotDifference::EmptyInDevice;
    }
    void slotsCompare()
    {
        QFETCH(CodeRecord, project);
        QFETCH(CodeRecord, device);
        QFETCH(SlotDifference, difference);
        DeviceRig rig;
        rig.putRecord(6, project);
        std::vector<CodeRecord> held(512, erased());
        held[6] = device;
        const std::vector<SlotComparison> compared = compareWithDevice(rig.project.keys(), held);
        QCOMPARE(compared.size(), std::size_t(512));
        for (const SlotComparison& slot : compared) {
            QCOMPARE(slot.id, slot.row + 1);
            QCOMPARE(slot.difference, slot.row == 6 ? difference : SlotDifference::Equal);
        }
    }

    void decodesSideBySide()
    {
        DeviceRig rig;
        rig.putRecord(0, rendered("NEC1", {{"D", 4}, {"F", 8}}));
        std::vector<CodeRecord> held(512, erased());
        held[0] = rendered("NEC1", {{"D", 4}, {"F", 9}});
        const SlotComparison slot = compareWithDevice(rig.project.keys(), held).front();
        QCOMPARE(slot.difference, SlotDifference::CodeOnly);
        QCOMPARE(slot.projectCode, QStringLiteral("NEC1 D=4 S=251 F=8"));
        QCOMPARE(slot.deviceCode, QStringLiteral("NEC1 D=4 S=251 F=9"));
    }

    // The chosen rows take the device's name and code, as upload stores them; the others and
    // the file stay as they were until the batch is saved.
    void takeFromDeviceStoresTheChosenRows()
    {
        DeviceRig rig;
        rig.putRecord(2, oneCodeRecord(48, "Old"));
        rig.putRecord(3, oneCodeRecord(48, "Kept"));
        std::vector<CodeRecord> held(512, erased());
        held[2] = named(rendered("NEC1", {{"D", 4}, {"F", 8}}), "Power");
        held[2][255] = 0;
        held[3] = rendered("RC5", {{"D", 0}, {"F", 1}});
        KeyTable& keys = rig.project.keys();
        QCOMPARE(takeFromDevice(keys, held, {2, 700}), 1);
        QCOMPARE(keys.row(2).function, std::optional<QString>(QStringLiteral("Power")));
        QCOMPARE(rig.recordAt(2), held[2]);
        QCOMPARE(textOf(keys.row(2).format), QStringLiteral("Normal"));
        QCOMPARE(rig.recordAt(3), oneCodeRecord(48, "Kept"));
        QVERIFY(keys.hasPendingChanges());
        const std::vector<SlotComparison> after = compareWithDevice(keys, held);
        QCOMPARE(after[2].difference, SlotDifference::Equal);
        QCOMPARE(after[3].difference, SlotDifference::NameAndCode);
    }

    void captures_data()
    {
        QTest::addColumn<CodeRecord>("first");
        QTest::addColumn<CodeRecord>("second");
        QTest::addColumn<bool>("same");
        QTest::addColumn<QString>("text");
        const CodeRecord nec = rendered("NEC1", {{"D", 4}, {"F", 8}});
        QTest::newRow("identical")
            << nec << nec << true << "Slot 12: two identical captures (NEC1 D=4 S=251 F=8)";
        QTest::newRow("another command")
            << nec << rendered("NEC1", {{"D", 4}, {"F", 9}}) << false
            << "Slot 12: the two captures differ (NEC1 D=4 S=251 F=8, then NEC1 D=4 S=251 F=9).";
        QTest::newRow("RC5 pair, another command")
            << rendered("RC5", {{"D", 0}, {"F", 1}}) << rendered("RC5", {{"D", 0}, {"F", 2}})
            << false
            << "Slot 12: the two captures differ (A: RC5 D=0 F=1 T=0 / B: RC5 D=0 F=1 T=1, "
               "then A: RC5 D=0 F=2 T=0 / B: RC5 D=0 F=2 T=1).";
        QTest::newRow("raw, jitter within tolerance")
            << raw(1.0) << raw(1.05) << true
            << "Slot 12: two identical captures (no known protocol)";
        QTest::newRow("raw, one duration doubled")
            << raw(1.0) << raw(1.0, 3) << false
            << "Slot 12: the two captures differ in their timing (no known protocol).";
        QTest::newRow("raw against a protocol")
            << raw(1.0) << nec << false
            << "Slot 12: the two captures differ (no known protocol, then NEC1 D=4 S=251 F=8).";
        QTest::newRow("nothing captured")
            << erased() << erased() << false
            << "Slot 12: the two captures differ in their timing (no code).";
    }
    void captures()
    {
        QFETCH(CodeRecord, first);
        QFETCH(CodeRecord, second);
        QFETCH(bool, same);
        QFETCH(QString, text);
        const CaptureComparison comparison = compareCaptures(first, second);
        QCOMPARE(comparison.same, same);
        QCOMPARE(same ? identicalCapturesText(12, comparison)
                      : differingCapturesText(12, comparison),
                 text);
    }

    void slotLists_data()
    {
        QTest::addColumn<std::vector<int>>("ids");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("one") << std::vector<int>{17} << "slot 17"
                             << "Verify failed: slot 17 differs.";
        QTest::newRow("two") << std::vector<int>{17, 230} << "slots 17, 230"
                             << "Verify failed: slots 17, 230 differ.";
        QTest::newRow("a pair and a run")
            << std::vector<int>{1, 2, 40, 41, 42, 43, 512} << "slots 1, 2, 40-43, 512"
            << "Verify failed: slots 1, 2, 40-43, 512 differ.";
        QTest::newRow("none") << std::vector<int>{} << "slots "
                              << "Download verified: 512 slots identical.";
    }
    void slotLists()
    {
        QFETCH(std::vector<int>, ids);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(slotListText(ids), text);
        VerifyOutcome outcome;
        outcome.verified = true;
        outcome.differing = ids;
        QCOMPARE(verifyResultText(outcome), result);
    }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
