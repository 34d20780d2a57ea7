#include <irdata/codeencoder.h>
#include <irdata/coderecord.h>

#include <support/records.h>

#include <QTest>

#include <algorithm>

using namespace qlv;
using qlv::test::putBigEndian16;
using qlv::test::toBytes;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray toBytes(const CodeBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

CodeRecord fromBytes(const QByteArray& bytes)
{
    CodeRecord record{};
    std::copy_n(bytes.constData(), std::min<std::size_t>(bytes.size(), RecordSize), record.begin());
    return record;
}

// Non-zero and position dependent, so every misplaced or dropped byte shows.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 255 + 1);
    return bytes;
}

// n bytes of source from offset on; what the source lacks is zero.
QByteArray piece(const QByteArray& source, qsizetype from, qsizetype n)
{
    QByteArray bytes = source.mid(from, n);
    return bytes + QByteArray(n - bytes.size(), '\0');
}

QString describe(const std::vector<CodeStep>& steps)
{
    QStringList parts;
    for (const CodeStep& step : steps)
        parts << (step.part == StepPart::First ? "F" : "R") + QString::number(step.pair);
    return parts.join(' ');
}

} // namespace

class TestCodeRecord : public QObject {
    Q_OBJECT

private slots:
    void readStoredPadsWithFiller_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("null") << 0;
        QTest::newRow("300 bytes") << 300;
        QTest::newRow("exactly 512") << 512;
        QTest::newRow("longer: only the first 512 count") << 700;
    }
    void readStoredPadsWithFiller()
    {
        QFETCH(int, length);
        const QByteArray stored = pattern(length);
        const QByteArray record =
            toBytes(readStored(length == 0 ? std::span<const std::uint8_t>{} : span(stored)));
        const qsizetype kept = std::min(length, 512);
        QCOMPARE(record, stored.left(kept) + QByteArray(512 - kept, '\xFF'));
    }

    void derivedTexts_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("carry");

        auto with = [](std::initializer_list<std::pair<int, int>> bytes) {
            CodeRecord record{};
            for (auto [offset, value] : bytes)
                record[offset] = std::uint8_t(value);
            return toBytes(record);
        };
        auto row = [](const char* name, const QByteArray& record, const char* format,
                      const char* carry) {
            QTest::newRow(name) << record << QString(format) << QString(carry);
        };
        row("zero record", with({}), "", "");
        row("0xFF filler", QByteArray(512, '\xFF'), "", "");
        row("marker must be exact", with({{0, 0x52}, {1, 48}}), "", "");
        row("code B alone holds no code", with({{128, 0x72}, {129, 48}}), "", "");
        row("no carrier", with({{0, 0x72}}), "Normal", "0");
        row("P 48", with({{0, 0x72}, {1, 48}}), "Normal", "38416");
        row("P 49", with({{0, 0x72}, {1, 49}}), "Normal", "37632");
        row("P 1", with({{0, 0x72}, {1, 1}}), "Normal", "1844000");
        row("P 255", with({{0, 0x72}, {1, 255}}), "Normal", "7231");
        row("two codes carry code A's period only",
            with({{0, 0x72}, {1, 48}, {128, 0x72}, {129, 49}}), "RC5/RC6", "38416");
        row("two codes without carrier", with({{0, 0x72}, {128, 0x72}, {129, 49}}), "RC5/RC6", "0");
    }
    void derivedTexts()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, format);
        QFETCH(QString, carry);
        QCOMPARE(QString::fromStdString(formatText(fromBytes(record))), format);
        QCOMPARE(QString::fromStdString(carryText(fromBytes(record))), carry);
    }

    void decodeHeaderIsBigEndian_data()
    {
        QTest::addColumn<int>("base");
        QTest::newRow("code A") << 0;
        QTest::newRow("code B") << 128;
    }
    void decodeHeaderIsBigEndian()
    {
        QFETCH(int, base);
        CodeRecord record;
        record.fill(0xEE);
        const std::uint8_t header[] = {0x72, 0x30, 0x12, 0x34, 0x01, 0x02, 0x03, 0x04,
                                       0xA0, 0xB0, 0x5A, 0x11, 0x10, 0x22, 0x20};
        std::copy(std::begin(header), std::end(header), record.begin() + base);
        putBigEndian16(record, base + 71, 0xFEDC); // pair 15, the header's last four bytes
        putBigEndian16(record, base + 73, 0xBA98);

        const CodeHeader h = decodeHeader(record, base == 0 ? Code::A : Code::B);
        QCOMPARE(h.marker, 0x72);
        QCOMPARE(h.carrierPeriod, 0x30);
        QCOMPARE(h.deviceWord, 0x1234);
        QCOMPARE(h.repeatStart, 0x0102);
        QCOMPARE(h.repeatEnd, 0x0304);
        QCOMPARE(h.firstLength, 0xA0B0);
        QCOMPARE(h.deviceByte, 0x5A);
        QCOMPARE(h.pairs[0].gap, 0x1110);
        QCOMPARE(h.pairs[0].burst, 0x2220);
        QCOMPARE(h.pairs[1].gap, 0xEEEE);
        QCOMPARE(h.pairs[15].gap, 0xFEDC);
        QCOMPARE(h.pairs[15].burst, 0xBA98);
    }

    void sequenceEntryNibbles_data()
    {
        QTest::addColumn<bool>("twoCodes");
        QTest::addColumn<bool>("codeB");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("entry");
        QTest::newRow("entry 0 is the low nibble") << false << false << 256 << 0x21 << 0 << 1;
        QTest::newRow("entry 1 is the high nibble") << false << false << 256 << 0x21 << 1 << 2;
        QTest::newRow("one code: entry 510") << false << false << 511 << 0xC0 << 510 << 0x0;
        QTest::newRow("one code: entry 511") << false << false << 511 << 0xC0 << 511 << 0xC;
        QTest::newRow("two codes: A's last entry") << true << false << 383 << 0x3D << 255 << 3;
        QTest::newRow("two codes: B starts at 384") << true << true << 384 << 0x0E << 0 << 0xE;
        QTest::newRow("two codes: B's last entry") << true << true << 511 << 0x70 << 255 << 7;
    }
    void sequenceEntryNibbles()
    {
        QFETCH(bool, twoCodes);
        QFETCH(bool, codeB);
        QFETCH(int, offset);
        QFETCH(int, byte);
        QFETCH(int, index);
        QFETCH(int, entry);
        CodeRecord record = twoCodes ? test::twoCodeRecord(48, 48) : test::oneCodeRecord(48);
        record[offset] = std::uint8_t(byte);
        QCOMPARE(sequenceEntry(record, codeB ? Code::B : Code::A, std::size_t(index)), entry);
    }

    void codeStepsOrder_data()
    {
        QTest::addColumn<int>("firstLength");
        QTest::addColumn<int>("repeatStart");
        QTest::addColumn<int>("repeatEnd");
        QTest::addColumn<QString>("steps");
        // The sequence holds entries 1 2 3 4, then zeros.
        QTest::newRow("no first part, empty repeat") << 0 << 2 << 2 << "";
        QTest::newRow("first part only") << 3 << 0 << 0 << "F1 F2 F3";
        QTest::newRow("repeat only") << 0 << 1 << 3 << "R2 R3";
        QTest::newRow("ranges overlap") << 4 << 1 << 3 << "F1 F2 F3 F4 R2 R3";
        QTest::newRow("repeat start beyond end: no repeat") << 2 << 3 << 1 << "F1 F2";
        QTest::newRow("entries past the data select pair 0")
            << 6 << 5 << 6 << "F1 F2 F3 F4 F0 F0 R0";
    }
    void codeStepsOrder()
    {
        QFETCH(int, firstLength);
        QFETCH(int, repeatStart);
        QFETCH(int, repeatEnd);
        QFETCH(QString, steps);
        CodeRecord record = test::oneCodeRecord(48);
        putBigEndian16(record, 4, std::uint16_t(repeatStart));
        putBigEndian16(record, 6, std::uint16_t(repeatEnd));
        putBigEndian16(record, 8, std::uint16_t(firstLength));
        record[256] = 0x21;
        record[257] = 0x43;
        QCOMPARE(describe(codeSteps(record, Code::A)), steps);
    }

    void stepDurations_data()
    {
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("period");
        QTest::addColumn<qulonglong>("gapUs");
        QTest::addColumn<qulonglong>("burstUs");
        QTest::newRow("gap 1000, burst 20 at P 48") << 1000 << 20 << 48 << 4339ull << 520ull;
        QTest::newRow("no carrier: 15 ticks whatever the burst") << 0 << 65535 << 0 << 0ull << 8ull;
        QTest::newRow("truncating division") << 1 << 1 << 1 << 4ull << 0ull;
        // 65535 x 255 x 1200 needs more than 32 bits.
        QTest::newRow("longest burst") << 65535 << 65535 << 255 << 284419ull << 9065872ull;
    }
    void stepDurations()
    {
        QFETCH(int, gap);
        QFETCH(int, burst);
        QFETCH(int, period);
        QFETCH(qulonglong, gapUs);
        QFETCH(qulonglong, burstUs);
        CodeRecord record = test::oneCodeRecord(std::uint8_t(period), {}, 1);
        putBigEndian16(record, 11 + 4 * 9, std::uint16_t(gap)); // pair 9
        putBigEndian16(record, 13 + 4 * 9, std::uint16_t(burst));
        record[256] = 0x09;

        const std::vector<CodeStep> steps = codeSteps(record, Code::A);
        QCOMPARE(steps.size(), 1u);
        QCOMPARE(steps[0].pair, 9);
        QCOMPARE(steps[0].gapUs, gapUs);
        QCOMPARE(steps[0].burstUs, burstUs);
    }

    void codeBUsesItsOwnHeader()
    {
        CodeRecord record = test::twoCodeRecord(48, 96);
        putBigEndian16(record, 128 + 11, 2000); // code B's pair 0 gap
        const std::vector<CodeStep> a = codeSteps(record, Code::A);
        const std::vector<CodeStep> b = codeSteps(record, Code::B);
        QCOMPARE(a.size(), 4u);
        QCOMPARE(b.size(), 4u);
        QCOMPARE(a[0].gapUs, 4339u);
        QCOMPARE(a[0].burstUs, 520u);
        QCOMPARE(b[0].gapUs, 8679u);
        QCOMPARE(b[0].burstUs, 1041u);
    }

    void rangesClampedToOwnArea_data()
    {
        QTest::addColumn<bool>("twoCodes");
        QTest::addColumn<bool>("codeB");
        QTest::addColumn<int>("firstLength");
        QTest::addColumn<int>("repeatStart");
        QTest::addColumn<int>("repeatEnd");
        QTest::addColumn<int>("firstSteps");
        QTest::addColumn<int>("repeatSteps");
        QTest::newRow("one code: first part") << false << false << 600 << 0 << 0 << 512 << 0;
        QTest::newRow("one code: repeat end") << false << false << 0 << 500 << 65535 << 0 << 12;
        QTest::newRow("one code: repeat start past the area")
            << false << false << 0 << 512 << 600 << 0 << 0;
        QTest::newRow("two codes: A") << true << false << 300 << 250 << 400 << 256 << 6;
        QTest::newRow("two codes: B") << true << true << 65535 << 255 << 65535 << 256 << 1;
    }
    void rangesClampedToOwnArea()
    {
        QFETCH(bool, twoCodes);
        QFETCH(bool, codeB);
        QFETCH(int, firstLength);
        QFETCH(int, repeatStart);
        QFETCH(int, repeatEnd);
        QFETCH(int, firstSteps);
        QFETCH(int, repeatSteps);
        CodeRecord record = twoCodes ? test::twoCodeRecord(48, 48) : test::oneCodeRecord(48);
        // Entries 1 in code A's half, 5 in code B's: a step of the other code's pair shows.
        std::fill(record.begin() + 256, record.begin() + 384, 0x11);
        std::fill(record.begin() + 384, record.end(), twoCodes ? 0x55 : 0x11);
        const std::size_t base = codeB ? 128 : 0;
        putBigEndian16(record, base + 4, std::uint16_t(repeatStart));
        putBigEndian16(record, base + 6, std::uint16_t(repeatEnd));
        putBigEndian16(record, base + 8, std::uint16_t(firstLength));

        const std::vector<CodeStep> steps = codeSteps(record, codeB ? Code::B : Code::A);
        const auto repeats = std::count_if(steps.begin(), steps.end(), [](const CodeStep& s) {
            return s.part == StepPart::Repeat;
        });
        QCOMPARE(qsizetype(steps.size()) - repeats, firstSteps);
        QCOMPARE(repeats, repeatSteps);
        const int own = codeB ? 5 : 1;
        QVERIFY(std::all_of(steps.begin(), steps.end(),
                            [own](const CodeStep& s) { return s.pair == own; }));
    }

    void nameFieldReads_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("five letters and NUL")
            << QByteArray("POWER\0XYZXYZXYZX", 16) << QByteArray("POWER");
        QTest::newRow("byte 255 is never part of it")
            << QByteArray("ABCDEFGHIJKLMNOP") << QByteArray("ABCDEFGHIJKLMNO");
        QTest::newRow("empty") << QByteArray("\0ABCDEFGHIJKLMNO", 16) << QByteArray();
        QTest::newRow("code-page bytes unchanged")
            << QByteArray("\xB5\xE7\xD4\xB4\0\0\0\0\0\0\0\0\0\0\0\0", 16)
            << QByteArray("\xB5\xE7\xD4\xB4");
    }
    void nameFieldReads()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, name);
        CodeRecord record = test::oneCodeRecord(48);
        std::copy_n(field.constData(), 16, record.begin() + 240);
        QCOMPARE(QByteArray::fromStdString(nameText(record)), name);
    }

    void writeNameTouchesOnlyTheField_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("field");
        const QByteArray old(16, '\xAB');
        QTest::newRow("short") << QByteArray("POWER")
                               << QByteArray("POWER", 5) + '\0' + old.left(10);
        QTest::newRow("fifteen bytes")
            << QByteArray("ABCDEFGHIJKLMNO") << QByteArray("ABCDEFGHIJKLMNO") + '\0';
        QTest::newRow("longer names cut at 15")
            << QByteArray("ABCDEFGHIJKLMNOPQRST") << QByteArray("ABCDEFGHIJKLMNO") + '\0';
        QTest::newRow("empty") << QByteArray() << '\0' + old.left(15);
    }
    void writeNameTouchesOnlyTheField()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, field);
        CodeRecord record;
        record.fill(0xAB);
        // An empty name as a default string_view, which carries no data pointer.
        writeName(record, name.isEmpty() ? std::string_view{}
                                         : std::string_view(name.constData(), name.size()));
        const QByteArray bytes = toBytes(record);
        QCOMPARE(bytes.mid(240, 16), field);
        QCOMPARE(bytes.left(240), QByteArray(240, '\xAB'));
        QCOMPARE(bytes.mid(256), QByteArray(256, '\xAB'));
        QCOMPARE(QByteArray::fromStdString(nameText(record)), name.left(15));
    }

    void assembleLearned_data()
    {
        QTest::addColumn<int>("irFormat");
        QTest::addColumn<int>("length");
        QTest::newRow("format 1, one block") << 1 << 331;
        QTest::newRow("format 2, two blocks") << 2 << 662;
        QTest::newRow("format 1, short reply") << 1 << 100;
        QTest::newRow("format 2, second block cut short") << 2 << 400;
        QTest::newRow("format 2, nothing received") << 2 << 0;
    }
    void assembleLearned()
    {
        QFETCH(int, irFormat);
        QFETCH(int, length);
        const QByteArray received = pattern(length);
        const QByteArray nameField = QByteArray("VOL+") + '\0' + QByteArray(11, '\0');

        // The record's layout, region by region; reserved regions stay zero.
        QByteArray expected;
        if (irFormat == 1)
            expected = piece(received, 0, 75) + QByteArray(165, '\0') + nameField +
                       piece(received, 75, 256);
        else
            expected = piece(received, 0, 75) + QByteArray(53, '\0') + piece(received, 331, 75) +
                       QByteArray(37, '\0') + nameField + piece(received, 75, 128) +
                       piece(received, 406, 128);

        QCOMPARE(toBytes(qlv::assembleLearned(span(received), irFormat, "VOL+")), expected);
    }

    void sendBlockAlternates_data()
    {
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("blocks");
        // T two-code, O one-code, E empty; B and A code B's and code A's block of T, a the block
        // of O, - nothing sent.
        auto row = [](const char* name, const char* records, const char* blocks) {
            QTest::newRow(name) << QString(records) << QString(blocks);
        };
        row("two-code record: B first, then A", "TTT", "BAB");
        row("one-code send in between shifts it", "TOT", "BaB");
        row("one-code send first", "OT", "aA");
        row("empty record keeps the flag", "TET", "B-A");
        row("empty records only", "EE", "--");
    }
    void sendBlockAlternates()
    {
        QFETCH(QString, records);
        QFETCH(QString, blocks);
        QByteArray two = pattern(512);
        two[0] = two[128] = CodeMarker;
        QByteArray one = pattern(512);
        one[0] = CodeMarker;
        one[1] = 0x30; // else its block would equal code A's of the two-code record
        QByteArray empty(512, '\0');
        empty[128] = CodeMarker; // byte 0 alone decides
        const QByteArray blockB = two.mid(128, 75) + two.mid(384, 128) + two.mid(256, 128);
        const QByteArray blockA = two.left(75) + two.mid(256);
        const QByteArray blockOne = one.left(75) + one.mid(256);

        bool alternate = false;
        QString sent;
        for (QChar kind : records) {
            const QByteArray& bytes = kind == 'T' ? two : kind == 'O' ? one : empty;
            const std::optional<CodeBlock> block = sendBlock(fromBytes(bytes), alternate);
            if (!block)
                sent += '-';
            else if (toBytes(*block) == blockB)
                sent += 'B';
            else if (toBytes(*block) == blockA)
                sent += 'A';
            else if (toBytes(*block) == blockOne)
                sent += 'a';
            else
                sent += '?';
        }
        QCOMPARE(sent, blocks);
    }

    void importedSlotClearsByte255_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("full slot") << 512;
        QTest::newRow("short slot") << 100;
        QTest::newRow("empty") << 0;
    }
    void importedSlotClearsByte255()
    {
        QFETCH(int, length);
        QByteArray slot = pattern(length);
        if (length == 512)
            slot.replace(240, 16, "ABCDEFGHIJKLMNOP");
        const CodeRecord record = importedSlot(span(slot));

        QByteArray expected = (slot + QByteArray(512, '\xFF')).left(512);
        expected[255] = '\0';
        QCOMPARE(toBytes(record), expected);
        if (length == 512)
            QCOMPARE(QByteArray::fromStdString(nameText(record)), QByteArray("ABCDEFGHIJKLMNO"));
    }

    // Durations encoded into a block and expanded again come back within one unit of the
    // device's time base (a gap unit is 4.34 us, a burst unit at P = 48 is 26 us).
    void encodedCodeExpandsToItsDurations()
    {
        const std::vector<TimedStep> first{{40, 9000}, {4500, 560}, {560, 560}, {1690, 560}};
        const std::vector<TimedStep> repeat{{40000, 9000}, {2250, 560}};
        const std::optional<CodeBlock> block = encodeCodeBlock(48, first, repeat);
        QVERIFY(block);
        const CodeRecord record = qlv::assembleLearned(*block, 1, "NEC");
        const std::vector<CodeStep> steps = codeSteps(record, Code::A);
        QCOMPARE(steps.size(), first.size() + repeat.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const TimedStep& wanted = i < first.size() ? first[i] : repeat[i - first.size()];
            QCOMPARE(steps[i].part, i < first.size() ? StepPart::First : StepPart::Repeat);
            QVERIFY2(std::abs(double(steps[i].gapUs) - wanted.gapUs) <= 5,
                     qPrintable(QString::number(i)));
            QVERIFY2(std::abs(double(steps[i].burstUs) - wanted.burstUs) <= 26,
                     qPrintable(QString::number(i)));
        }
        // Equal durations share a pair: four distinct ones here, then the two of the repeat.
        QCOMPARE(decodeHeader(record, Code::A).pairs[6].gap, std::uint16_t(0));
    }

    void codesBeyondTheBlockAreNotEncoded()
    {
        std::vector<TimedStep> seventeenPairs;
        for (int k = 0; k < 17; ++k)
            seventeenPairs.push_back({100.0 * (k + 1), 560});
        QVERIFY(!encodeCodeBlock(48, seventeenPairs, {}));
        const std::vector<TimedStep> tooLong(513, TimedStep{560, 560});
        QVERIFY(!encodeCodeBlock(48, tooLong, {}));
        QVERIFY(encodeCodeBlock(48, std::vector<TimedStep>(512, TimedStep{560, 560}), {}));
    }
};

QTEST_APPLESS_MAIN(TestCodeRecord)
#include "tst_coderecord.moc"
