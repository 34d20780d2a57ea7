#include <irdata/signalrecord.h>

#include "flipperraw.h"

#include <QTest>

#include <algorithm>

using namespace qlv;

namespace {

// NEC1 as its protocol definition sends it, built here by hand so the mapping is tested alone.
IrSignal nec1(int d, int s, int f)
{
    IrSignal signal;
    signal.frequency = 38400;
    signal.intro = {9024, 4512};
    std::uint32_t elapsed = 9024 + 4512;
    for (int byte : {d, s, f, 255 - f})
        for (int bit = 0; bit < 8; ++bit) {
            const std::uint32_t space = (byte >> bit & 1) ? 1692 : 564;
            signal.intro.insert(signal.intro.end(), {564, space});
            elapsed += 564 + space;
        }
    signal.intro.insert(signal.intro.end(), {564, 108000 - elapsed - 564});
    signal.repeat = {9024, 2256, 564, 96156};
    return signal;
}

QByteArray bytes(const CodeRecord& record, std::size_t from, std::size_t count)
{
    return QByteArray(reinterpret_cast<const char*>(record.data() + from), qsizetype(count));
}

template <typename T> T expect(const std::variant<T, EncodeError>& result)
{
    if (const auto* error = std::get_if<EncodeError>(&result))
        qWarning("%s", error->message.c_str());
    return std::get<T>(result);
}

QString errorOf(const std::variant<CodeRecord, EncodeError>& result)
{
    const auto* error = std::get_if<EncodeError>(&result);
    return error ? QString::fromStdString(error->message) : QString();
}

IrSequence marksOfWidths(int count, std::uint32_t firstWidth, std::uint32_t step)
{
    IrSequence sequence;
    for (int i = 0; i < count; ++i)
        sequence.insert(sequence.end(), {firstWidth + std::uint32_t(i) * step, 600});
    sequence.back() = 50000;
    return sequence;
}

} // namespace

class TestSignalRecord : public QObject {
    Q_OBJECT

private slots:
    void nec1BecomesTheWorkedExampleRecord()
    {
        const CodeRecord record = expect(recordFromSignal(nec1(4, 251, 8)));
        QCOMPARE(bytes(record, 0, 75).toHex(' '),
                 QByteArray("72 30 00 00 00 22 00 24 00 22 00 56 8c 01 5b 04 10 00 16 00 82 00 16 "
                            "01 86 00 16 02 08 00 16")
                     .append(QByteArray(" 00").repeated(44)));
        QCOMPARE(bytes(record, 256, 18).toHex(' '),
                 QByteArray("10 22 23 22 22 33 32 33 33 22 32 22 22 33 23 33 33 40"));
        QCOMPARE(bytes(record, 274, 512 - 274), QByteArray(512 - 274, '\0'));
        QCOMPARE(bytes(record, 75, 181), QByteArray(181, '\0'));
        QCOMPARE(formatText(record), std::string("Normal"));
    }

    void theWorkedExampleReadsBackAsItsSignal()
    {
        const CodeRecord record = expect(recordFromSignal(nec1(4, 251, 8)));
        const IrSignal signal = signalFromCode(record, Code::A);
        QCOMPARE(signal.frequency, 38416u);
        QCOMPARE(signal.intro.size(), std::size_t(68));
        QCOMPARE((IrSequence{signal.intro.begin(), signal.intro.begin() + 4}),
                 (IrSequence{9035, 4513, 572, 564}));
        QCOMPARE(signal.intro.back(), 96156u);
        QCOMPARE(signal.repeat, (IrSequence{9035, 2256, 572, 96156}));
        QVERIFY(!signalFromCode(record, Code::B).frequency);
    }

    void aCodeWithoutRepeatGetsTheTrailingGapAsked()
    {
        IrSignal lone = nec1(4, 251, 8);
        lone.repeat.clear();
        const CodeRecord record = expect(recordFromSignal(lone));
        const CodeHeader header = decodeHeader(record, Code::A);
        QCOMPARE(header.firstLength, 34);
        QCOMPARE(header.repeatEnd, header.repeatStart);
        const IrSignal back = signalFromCode(record, Code::A, 40000);
        QCOMPARE(back.intro.back(), 40000u);
        QVERIFY(back.repeat.empty());
    }

    void aFrameSentAgainIsStoredOnce()
    {
        IrSignal sony;
        sony.frequency = 40000;
        sony.repeat = {2400, 600, 1200, 600, 600, 600, 600, 25000};
        for (const IrSequence& intro : {IrSequence{}, sony.repeat}) {
            sony.intro = intro;
            const CodeRecord record = expect(recordFromSignal(sony));
            const CodeHeader header = decodeHeader(record, Code::A);
            QCOMPARE(header.firstLength, 4);
            QCOMPARE(header.repeatStart, 0);
            QCOMPARE(header.repeatEnd, 4);
            const IrSignal back = signalFromCode(record, Code::A);
            QCOMPARE(back.repeat.size(), sony.repeat.size());
            QCOMPARE(back.intro, back.repeat);
        }
    }

    void jitteredCaptureMergesIntoFewPairs()
    {
        const QString path = test::irFixture(QStringLiteral("vizio-vx32l.ir"));
        if (path.isEmpty())
            QSKIP("vizio-vx32l.ir is not in the QLV_FIXTURES folder");
        const auto raw = test::flipperRawSignals(path);
        QVERIFY(raw.contains(QStringLiteral("Power")));
        for (const IrSignal& capture : raw) {
            const CodeRecord record = expect(recordFromSignal(capture));
            const CodeHeader header = decodeHeader(record, Code::A);
            const auto used = std::count_if(header.pairs.begin(), header.pairs.end(),
                                            [](TimingPair p) { return p.gap || p.burst; });
            QVERIFY2(used <= 7, qPrintable(QString::number(used)));
            const IrSignal back = signalFromCode(record, Code::A);
            QCOMPARE(back.intro.size(),
                     capture.intro.size() + 1); // the record adds the trailing gap
            for (std::size_t i = 0; i + 1 < capture.intro.size(); ++i)
                QVERIFY2(std::abs(double(back.intro[i]) - capture.intro[i]) <= 100,
                         qPrintable(QStringLiteral("%1: %2 against %3")
                                        .arg(i)
                                        .arg(back.intro[i])
                                        .arg(capture.intro[i])));
        }
    }

    void limitsSayWhatWasNeeded_data()
    {
        QTest::addColumn<IrSignal>("signal");
        QTest::addColumn<bool>("twoCodes");
        QTest::addColumn<QString>("message");

        IrSignal widths;
        widths.frequency = 38000;
        widths.intro = marksOfWidths(17, 300, 400);
        QTest::newRow("17 pairs") << widths << false << "needs 17 distinct timing pairs";

        IrSignal jittered = widths;
        jittered.intro = marksOfWidths(40, 300, 3); // one mark, jittered
        QVERIFY(std::holds_alternative<CodeRecord>(recordFromSignal(jittered)));

        IrSignal longCode;
        longCode.frequency = 38000;
        longCode.intro = marksOfWidths(513, 500, 0);
        QTest::newRow("513 entries") << longCode << false << "needs 513 sequence entries";
        longCode.intro.resize(2 * 257);
        QTest::newRow("257 entries in a two-code record")
            << longCode << true
            << "Code A: The code needs 257 sequence entries; the code's "
               "sequence area holds 256.";

        IrSignal unmodulated;
        unmodulated.intro = {560, 560};
        QTest::newRow("long unmodulated mark") << unmodulated << false << "mark of 560 µs";

        IrSignal empty;
        empty.frequency = 38000;
        QTest::newRow("no durations") << empty << false << "no durations";

        IrSignal slow;
        slow.frequency = 5000;
        slow.intro = {500, 500};
        QTest::newRow("carrier too low") << slow << false << "5000 Hz";
    }

    void limitsSayWhatWasNeeded()
    {
        QFETCH(IrSignal, signal);
        QFETCH(bool, twoCodes);
        QFETCH(QString, message);
        const auto result = twoCodes ? recordFromSignals(signal, signal) : recordFromSignal(signal);
        QVERIFY2(errorOf(result).contains(message), qPrintable(errorOf(result)));
    }

    void longGapsAreClampedWithAWarning()
    {
        IrSignal signal;
        signal.frequency = 38000;
        signal.intro = {500, 400000};
        std::vector<std::string> warnings;
        const CodeRecord record = expect(recordFromSignals({signal}, warnings));
        QCOMPARE(warnings.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(warnings.front()).contains("400000 µs"),
                 warnings.front().c_str());
        QCOMPARE(decodeHeader(record, Code::A).pairs[0].gap, 65535);
        QVERIFY(std::get<EncodedCode>(encodeSignal(nec1(1, 2, 3))).warnings.empty());
    }

    void togglesStayTwoCodes()
    {
        IrSignal a;
        a.frequency = 36000;
        a.repeat = {889, 889, 1778, 889, 889, 90000};
        IrSignal b = a;
        b.repeat = {889, 889, 889, 889, 1778, 90000};
        const CodeRecord record = expect(recordFromSignals(a, b));
        QCOMPARE(formatText(record), std::string("RC5/RC6"));
        QCOMPARE(nameText(record), std::string());
        for (const auto& [code, signal] : {std::pair{Code::A, a}, std::pair{Code::B, b}}) {
            const CodeHeader header = decodeHeader(record, code);
            QCOMPARE(header.deviceWord, 0);
            QCOMPARE(header.deviceByte, 0);
            const IrSignal back = signalFromCode(record, code);
            QCOMPARE(back.frequency, 36156u);
            QCOMPARE(back.repeat.size(), signal.repeat.size());
            for (std::size_t i = 0; i < back.repeat.size(); ++i)
                QVERIFY(std::abs(double(back.repeat[i]) - signal.repeat[i]) < 20);
        }
    }
};

QTEST_GUILESS_MAIN(TestSignalRecord)
#include "tst_signalrecord.moc"
