#include "interchangetest.h"

using namespace qlv;
using namespace qlv::interchange;
using namespace qlv::interchange::test;

class TstPronto : public QObject {
    Q_OBJECT

private slots:
    void fixtureCodes();
    void longFormWordsSurviveAWriteBack();
    void offGridFrequencyKeepsMicroseconds();
    void unmodulatedForm();
    void malformed_data();
    void malformed();
    void linesWithoutHexWordsAreSkipped();
    void writerNamesEachLineAndSplitsTwoCodeRecords();
};

void TstPronto::fixtureCodes()
{
    QLV_IR_FIXTURE(text, "pronto-examples.txt");
    const ParseResult result = parsePronto(view(text));
    QVERIFY2(result.errors.empty(), qPrintable(errorTexts(result).join('\n')));
    QCOMPARE(result.codes.size(), std::size_t(6));
    QCOMPARE(result.codes[0].name, std::string("nec1-glossary"));
    const IrSignal& nec = signalOf(result.codes[0]);
    QCOMPARE(nec.frequency, 38381u);
    QCOMPARE(nec.intro.size(), std::size_t(68));
    QCOMPARE(nec.repeat.size(), std::size_t(4));
    QCOMPARE(nec.intro[0], 9041u); // 0x015B units of 26.0546 us
    QCOMPARE(nec.repeat[3], 96193u);
    QCOMPARE(describe(result.codes[1]), QStringLiteral("NEC1 D=12 S=243 F=56"));
    const IrSignal& rc5 = signalOf(result.codes[2]);
    QVERIFY(rc5.intro.empty());
    QCOMPARE(rc5.repeat.size(), std::size_t(24));
    QCOMPARE(result.codes[5].line, 6);
    QCOMPARE(signalOf(result.codes[5]).intro.size(), std::size_t(88));
}

void TstPronto::longFormWordsSurviveAWriteBack()
{
    // Frequency codes on the device's carrier grid come back word for word.
    const std::string glossary =
        "0000 006C 0022 0002 015B 00AD 0016 0041 0016 0016 0016 0016 0016 0016 0016 0016 0016 "
        "0016 0016 0016 0016 0016 0016 0016 0016 0041 0016 0016 0016 0016 0016 0016 0016 0016 "
        "0016 0016 0016 0016 0016 0041 0016 0041 0016 0016 0016 0016 0016 0016 0016 0016 0016 "
        "0016 0016 0016 0016 0016 0016 0016 0016 0041 0016 0041 0016 0041 0016 0041 0016 0041 "
        "0016 0041 0016 06FB 015B 0057 0016 0E6C";
    const ParseResult result = parsePronto(glossary);
    QCOMPARE(result.codes.size(), std::size_t(1));
    QCOMPARE(prontoWords(signalOf(result.codes[0])), glossary);
}

void TstPronto::offGridFrequencyKeepsMicroseconds()
{
    const ParseResult result = parsePronto("Aiwa: 0000 006d 0002 0000 0158 00a8 0018 038e");
    QCOMPARE(result.codes.size(), std::size_t(1));
    QCOMPARE(result.codes[0].name, std::string("Aiwa"));
    IrSignal signal = signalOf(result.codes[0]);
    QCOMPARE(signal.frequency, 38029u);
    QCOMPARE(signal.intro.back(), 23929u);
    // Written at the device's carrier 38416 Hz the gap is re-counted in the new unit.
    signal.frequency = 38416;
    QCOMPARE(prontoWords(signal), std::string("0000 006C 0002 0000 015B 00AA 0018 0396"));
}

void TstPronto::unmodulatedForm()
{
    const ParseResult result = parsePronto("0100 000A 0001 0000 019F 019F");
    QCOMPARE(result.codes.size(), std::size_t(1));
    const IrSignal& signal = signalOf(result.codes[0]);
    QCOMPARE(signal.frequency, 0u);
    QCOMPARE(signal.intro, (IrSequence{1001, 1001}));
    QCOMPARE(prontoWords(signal), std::string("0100 000A 0001 0000 019F 019F"));
}

void TstPronto::malformed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("too short") << "0000 006C 0000 0000"
                               << "line 1: a Pronto code needs at least 6 words, this one has 4";
    QTest::newRow("odd count")
        << "0000 006C 0001 0000 0010 0010 0010"
        << "line 1: a Pronto code has an even number of words, this one has 7";
    QTest::newRow("wrong pair count")
        << "0000 006C 0002 0000 0010 0010"
        << "line 1: inconsistent length: it claims 2 pairs and holds 1";
    QTest::newRow("not hex") << "0000 006C 0001 015G 0010 0010"
                             << "line 1: word 4 '015G' is not a four-digit hexadecimal number";
    QTest::newRow("type") << "0123 006C 0001 0000 0010 0010"
                          << "line 1: Pronto Hex type 0123 is not supported";
    QTest::newRow("frequency 0") << "0000 0000 0001 0000 0010 0010"
                                 << "line 1: frequency code 0000 is invalid";
    QTest::newRow("zero duration") << "0000 006C 0001 0000 0010 0000"
                                   << "line 1: word 6 is a zero duration";
    QTest::newRow("900A checksum") << "900A 006C 0000 0001 0CF3 38C8"
                                   << "line 1: the 900A checksum is erroneous";
    QTest::newRow("RC5 device range") << "5000 0073 0000 0001 0020 0001"
                                      << "line 1: device 32 is out of range 0-31";
    QTest::newRow("RC5x lengths") << "5001 0073 0000 0001 0001 0002"
                                  << "line 1: erroneous Pronto Hex lengths";
    QString many = QStringLiteral("0000 006C 0201 0000");
    for (int i = 0; i < 1026; ++i)
        many += QStringLiteral(" 0010");
    QTest::newRow("1026 durations") << many << "line 1: more than 1024 durations";
    QTest::newRow("second line truncated")
        << "ok\t0000 006C 0001 0000 0010 0010\nbad\t0000 006C 0002 0000 0010 0010 0010"
        << "line 2: a Pronto code has an even number of words, this one has 7";
}

void TstPronto::malformed()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    const ParseResult result = parsePronto(text.toStdString());
    QCOMPARE(errorTexts(result), QStringList{error});
}

void TstPronto::linesWithoutHexWordsAreSkipped()
{
    const ParseResult result = parsePronto("My remote codes\n\nPower:\t0000 006C 0001 0000 0010 "
                                           "0010\r\nVol Up: 0000 006C 0001 0000 0011 0011\n");
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(2));
    QCOMPARE(result.codes[0].name, std::string("Power:"));
    QCOMPARE(result.codes[0].line, 3);
    QCOMPARE(result.codes[1].name, std::string("Vol Up"));
    QCOMPARE(result.codes[1].line, 4);
}

void TstPronto::writerNamesEachLineAndSplitsTwoCodeRecords()
{
    ExportCode code;
    code.name = "OK";
    code.signal = {38416, std::nullopt, {}, {889, 889, 1778, 90000}};
    code.toggled = IrSignal{38416, std::nullopt, {}, {1778, 889, 889, 90000}};
    const WriteResult written = writePronto({code});
    const ParseResult back = parsePronto(written.text);
    QCOMPARE(back.codes.size(), std::size_t(2));
    QCOMPARE(back.codes[0].name, std::string("OK"));
    QCOMPARE(back.codes[1].name, std::string("OK_T"));
    const IrSignal& b = signalOf(back.codes[1]);
    QVERIFY(b.intro.empty());
    for (std::size_t i = 0; i < b.repeat.size(); ++i)
        QVERIFY(std::abs(int(b.repeat[i]) - int(code.toggled->repeat[i])) <= 14);
}

QTEST_GUILESS_MAIN(TstPronto)
#include "tst_pronto.moc"
