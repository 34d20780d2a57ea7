#include "interchangetest.h"

using namespace qlv;
using namespace qlv::interchange;
using namespace qlv::interchange::test;

class TstMode2 : public QObject {
    Q_OBJECT

private slots:
    void heldKeyStaysOneCode();
    void timeoutAndLongSpaceEndCodes();
    void irCtlSignedForm();
    void malformed_data();
    void malformed();
    void writerReadsBack();
};

void TstMode2::heldKeyStaysOneCode()
{
    // An NEC frame, a 40 ms gap and two dittos 96 ms apart: frames of one press.
    QString text = "space 16777215\ncarrier 38000\npulse 9000\nspace 4500\n";
    for (int i = 0; i < 32; ++i)
        text += "pulse 560\nspace 560\n";
    text += "pulse 560\nspace 40000\npulse 9000\nspace 2250\npulse 560\nspace 96000\n"
            "pulse 9000\nspace 2250\npulse 560\ntimeout 125000\n";
    const ParseResult result = parseMode2(text.toStdString());
    QVERIFY(result.errors.empty());
    QVERIFY(result.warnings.empty());
    QCOMPARE(result.codes.size(), std::size_t(1));
    const IrSignal& signal = signalOf(result.codes[0]);
    QCOMPARE(signal.frequency, 38000u);
    QCOMPARE(signal.intro.size(), std::size_t(2 + 64 + 2 + 4 + 4));
    QCOMPARE(signal.intro.front(), 9000u);
    QCOMPARE(signal.intro.back(), 125000u);
}

void TstMode2::timeoutAndLongSpaceEndCodes()
{
    const ParseResult result =
        parseMode2("# Power\npulse 900\nspace 900\nspace 100\npulse 1800\n"
                   "space 150000\n# Mute\npulse 500\nspace 500\npulse 500\n");
    QCOMPARE(result.codes.size(), std::size_t(2));
    QCOMPARE(result.codes[0].name, std::string("Power"));
    QCOMPARE(result.codes[0].line, 2);
    QCOMPARE(signalOf(result.codes[0]).intro, (IrSequence{900, 1000, 1800, 150000}));
    QCOMPARE(result.codes[1].name, std::string("Mute"));
    QCOMPARE(signalOf(result.codes[1]).intro, (IrSequence{500, 500, 500, DefaultTrailingGap}));
    // no carrier line anywhere
    QCOMPARE(signalOf(result.codes[1]).frequency, 38000u);
    QCOMPARE(result.warnings.size(), std::size_t(1));
}

void TstMode2::irCtlSignedForm()
{
    const ParseResult result =
        parseMode2("+889 -889 +1778, -889 +889\n-133889\n# carrier 36000Hz\n889 889 889\n");
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(2));
    QCOMPARE(signalOf(result.codes[0]).intro, (IrSequence{889, 889, 1778, 889, 889, 133889}));
    QCOMPARE(signalOf(result.codes[0]).frequency, 36000u);
    QCOMPARE(signalOf(result.codes[1]).intro, (IrSequence{889, 889, 889, DefaultTrailingGap}));
}

void TstMode2::malformed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<int>("codes");
    QTest::newRow("plus where a space belongs")
        << "+500 +500 -500\n"
        << QStringList{"line 1: '+500': a pulse where a space belongs"} << 0;
    QTest::newRow("word")
        << "pulse 500\nspace 500\nbogus 12\npulse 1\ntimeout 1\npulse 5\n"
        << QStringList{"line 3: 'bogus' is not a pulse, space, timeout or carrier"} << 1;
    QTest::newRow("separators only")
        << "pulse 500\n,\n , ,\nspace 500\npulse 5\nbad\n"
        << QStringList{"line 6: 'bad' is not a pulse, space, timeout or carrier"} << 0;
    QTest::newRow("zero") << "pulse 0\n"
                          << QStringList{"line 1: '0' is not a positive number"} << 0;
    QTest::newRow("scancode")
        << "scancode rc5:0x1e01\n"
        << QStringList{"line 1: scancode lines are not supported; record the signal instead"} << 0;
    QTest::newRow("missing value") << "pulse\n"
                                   << QStringList{"line 1: 'pulse' needs one value"} << 0;
    QString many;
    for (int i = 0; i < 513; ++i)
        many += "pulse 500\nspace 500\n";
    QTest::newRow("1026 durations")
        << many << QStringList{"line 1025: the code has more than 1024 durations"} << 0;
}

void TstMode2::malformed()
{
    QFETCH(QString, text);
    QFETCH(QStringList, errors);
    QFETCH(int, codes);
    const ParseResult result = parseMode2(text.toStdString());
    QCOMPARE(errorTexts(result), errors);
    QCOMPARE(int(result.codes.size()), codes);
}

void TstMode2::writerReadsBack()
{
    ExportCode power{"Power",
                     {38416, std::nullopt, {9035, 4513, 572, 40000}, {9035, 2256, 572, 96156}},
                     std::nullopt,
                     std::nullopt};
    ExportCode ok{"OK",
                  {36156, std::nullopt, {}, {889, 889, 1778, 90000}},
                  IrSignal{36156, std::nullopt, {}, {1778, 889, 889, 90000}},
                  std::nullopt};
    const WriteResult written = writeMode2({power, ok});
    QVERIFY(written.text.starts_with("# Power\ncarrier 38416\npulse 9035\nspace 4513\n"));
    const ParseResult back = parseMode2(written.text);
    QVERIFY(back.errors.empty());
    QCOMPARE(back.codes.size(), std::size_t(3));
    QCOMPARE(signalOf(back.codes[0]).intro,
             (IrSequence{9035, 4513, 572, 40000, 9035, 2256, 572, 150000}));
    QCOMPARE(back.codes[2].name, std::string("OK_T"));
    QCOMPARE(signalOf(back.codes[2]).intro, (IrSequence{1778, 889, 889, DefaultTrailingGap}));
    QCOMPARE(signalOf(back.codes[2]).frequency, 36156u);
}

QTEST_GUILESS_MAIN(TstMode2)
#include "tst_mode2.moc"
