#include "interchangetest.h"

using namespace qlv;
using namespace qlv::interchange;
using namespace qlv::interchange::test;

Q_DECLARE_METATYPE(qlv::interchange::FlipperParsed)

class TstFlipper : public QObject {
    Q_OBJECT

private slots:
    void ultimeaParsedAndRaw();
    void vizioWithCrlf();
    void magWithoutFinalNewline();
    void packing_data();
    void packing();
    void necextCommandKeepsItsFourthByte();
    void malformed_data();
    void malformed();
    void badSignalDoesNotStopTheOthers();
    void writerRawEndsWithAMarkAndRefusesNoCarrier();
    void writerCarriesToggleInParsedRc5();
};

void TstFlipper::ultimeaParsedAndRaw()
{
    QLV_IR_FIXTURE(text, "ultimea-poseidon-m20.ir");
    const ParseResult result = parseFlipper(view(text));
    QVERIFY2(result.errors.empty(), qPrintable(errorTexts(result).join('\n')));
    QCOMPARE(result.codes.size(), std::size_t(19));
    QCOMPARE(result.codes[0].name, std::string("Power"));
    QCOMPARE(describe(result.codes[0]), QStringLiteral("NEC1-f16 D=0 S=11 F=187 E=61"));
    int raw = 0;
    for (const auto& code : result.codes) {
        if (std::holds_alternative<IrSignal>(code.code)) {
            ++raw;
            QCOMPARE(code.name, std::string("Bass Up"));
            const IrSignal& signal = signalOf(code);
            QCOMPARE(signal.frequency, 38000u);
            QCOMPARE(signal.dutyCycle.value_or(0), 0.33);
            QCOMPARE(signal.intro.size(), std::size_t(72)); // 71 values and the assumed gap
            QCOMPARE(signal.intro.back(), DefaultTrailingGap);
        } else {
            QVERIFY(describe(code).startsWith("NEC1-f16 D=0 S=11 F=187 E="));
        }
    }
    QCOMPARE(raw, 1);
}

void TstFlipper::vizioWithCrlf()
{
    QLV_IR_FIXTURE(text, "vizio-vx32l.ir");
    const ParseResult result = parseFlipper(view(text));
    QVERIFY2(result.errors.empty(), qPrintable(errorTexts(result).join('\n')));
    QCOMPARE(result.codes.size(), std::size_t(10));
    QStringList parsed;
    for (const auto& code : result.codes)
        if (std::holds_alternative<ProtocolCode>(code.code))
            parsed << describe(code);
    QCOMPARE(parsed, (QStringList{"NEC1 D=4 S=251 F=14", "NEC1 D=4 S=251 F=69",
                                  "NEC1 D=4 S=251 F=68", "NEC1 D=4 S=251 F=67"}));
}

void TstFlipper::magWithoutFinalNewline()
{
    QLV_IR_FIXTURE(text, "mag-tv-box.ir");
    const ParseResult result = parseFlipper(view(text));
    QVERIFY2(result.errors.empty(), qPrintable(errorTexts(result).join('\n')));
    QCOMPARE(result.codes.size(), std::size_t(28));
    QCOMPARE(result.codes.back().name, std::string("0"));
    for (const auto& code : result.codes) {
        const IrSignal& signal = signalOf(code);
        QCOMPARE(signal.frequency, 38000u);
        QVERIFY(signal.intro.size() >= 20 && signal.intro.size() <= 24);
        QVERIFY(signal.repeat.empty());
    }
}

void TstFlipper::packing_data()
{
    QTest::addColumn<FlipperParsed>("flipper");
    QTest::addColumn<QString>("irp");
    // The firmware's own unit-test codes and the reference's worked examples.
    QTest::newRow("SIRC") << FlipperParsed{"SIRC", 0x01, 0x15} << "Sony12 D=1 F=21";
    QTest::newRow("SIRC20") << FlipperParsed{"SIRC20", 0x1A5, 0x15} << "Sony20 D=5 S=13 F=21";
    QTest::newRow("NEC") << FlipperParsed{"NEC", 0x04, 0x08} << "NEC1 D=4 S=251 F=8";
    QTest::newRow("NECext as NEC1")
        << FlipperParsed{"NECext", 0x7984, 0xED12} << "NEC1 D=132 S=121 F=18";
    QTest::newRow("NECext f16") << FlipperParsed{"NECext", 0x87EE, 0xA05D}
                                << "NEC1-f16 D=238 S=135 F=93 E=160";
    QTest::newRow("Samsung32") << FlipperParsed{"Samsung32", 0x0E, 0x0C} << "NECx2 D=14 S=14 F=12";
    QTest::newRow("RC5") << FlipperParsed{"RC5", 0x0E, 0x0C} << "RC5 D=14 F=12";
    QTest::newRow("RC5X") << FlipperParsed{"RC5X", 0x13, 0x10} << "RC5 D=19 F=80";
    QTest::newRow("RC6") << FlipperParsed{"RC6", 0x94, 0xA0} << "RC6 D=148 F=160";
    QTest::newRow("Panasonic") << FlipperParsed{"Kaseikyo", 0x00200280, 0x03D0}
                               << "Panasonic D=128 S=0 F=61";
    QTest::newRow("Denon-K") << FlipperParsed{"Kaseikyo", 0x00325441, 0x1B}
                             << "Denon-K D=4 S=1 F=27";
    QTest::newRow("RCA") << FlipperParsed{"RCA", 0x0F, 0x54} << "RCA-38 D=15 F=42";
    QTest::newRow("Pioneer") << FlipperParsed{"Pioneer", 0xAF, 0x36} << "Pioneer D=175 S=80 F=54";
    QTest::newRow("NEC42") << FlipperParsed{"NEC42", 0x016E, 0x0C} << "Aiwa D=110 S=1 F=12";
}

void TstFlipper::packing()
{
    QFETCH(FlipperParsed, flipper);
    QFETCH(QString, irp);
    const auto protocol = protocolFromFlipper(flipper);
    QVERIFY(std::holds_alternative<ProtocolCode>(protocol));
    const ProtocolCode& code = std::get<ProtocolCode>(protocol);
    QCOMPARE(describe(code), irp);
    // and back, as the writer packs a decoded slot
    const auto back = flipperFromDecoded({code.protocol, code.parameters, {}});
    QVERIFY(back.has_value());
    QCOMPARE(back->protocol, flipper.protocol);
    QCOMPARE(back->address, flipper.address);
    QCOMPARE(back->command, flipper.command);
}

void TstFlipper::necextCommandKeepsItsFourthByte()
{
    // NEC1 with a non-default S needs NECext, and its command must carry ~F, not 00.
    const auto packed = flipperFromDecoded({"NEC1", {{"D", 0}, {"S", 189}, {"F", 1}}, {}});
    QVERIFY(packed.has_value());
    QCOMPARE(packed->protocol, std::string("NECext"));
    QCOMPARE(packed->address, 0xBD00u);
    QCOMPARE(packed->command, 0xFE01u);
    // Panasonic whose D breaks Flipper's vendor-parity nibble stays raw
    QVERIFY(!flipperFromDecoded({"Panasonic", {{"D", 1}, {"S", 0}, {"F", 61}}, {}}));
    QVERIFY(!flipperFromDecoded({"JVC", {{"D", 1}, {"F", 2}}, {}}));
}

void TstFlipper::malformed_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("error");
    const QString raw = "name: A\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\n";
    QTest::newRow("no colon") << raw + "data 100 200 300\n"
                              << "line 7: the line has no 'key: value' form";
    QTest::newRow("frequency") << "name: A\ntype: raw\nfrequency: 38k\n"
                               << "line 5: 'frequency' is not a number";
    QTest::newRow("frequency range") << "name: A\ntype: raw\nfrequency: 76000\n"
                                     << "line 5: frequency 76000 is outside 10000-56000 Hz";
    QTest::newRow("zero duration") << raw + "data: 0 4470 0 552\n"
                                   << "line 7: timing 1 '0' is zero";
    QTest::newRow("not a number") << raw + "data: 100 -200 300\n"
                                  << "line 7: timing 2 '-200' is not a number";
    QString many = raw + "data:";
    for (int i = 0; i < 1025; ++i)
        many += " 500";
    QTest::newRow("1025 timings") << many << "line 7: more than 1024 timings";
    QTest::newRow("three command bytes")
        << "name: A\ntype: parsed\nprotocol: NECext\naddress: 00 00 00 00\ncommand: 00 00 00\n"
        << "line 7: 'command' is not 4 hexadecimal bytes";
    QTest::newRow("address range")
        << "name: A\ntype: parsed\nprotocol: NEC\naddress: 20 20 00 00\ncommand: 01 00 00 00\n"
        << "line 3: 'A': address is out of range (mask 0x000000FF): 0x2020";
    QTest::newRow("unknown protocol")
        << "name: A\ntype: parsed\nprotocol: JVC\naddress: 01 00 00 00\ncommand: 01 00 00 00\n"
        << "line 3: 'A': unknown protocol 'JVC'";
    QTest::newRow("truncated") << "name: A\ntype: raw\nfrequency: 38000\n"
                               << "line 3: 'A': a raw signal needs 'frequency' and 'data'";
    QTest::newRow("duty") << raw.left(raw.indexOf("duty")) + "duty_cycle: 1.5\ndata: 1 2 3\n"
                          << "line 6: duty cycle 1.5 is outside 0-1";
}

void TstFlipper::malformed()
{
    QFETCH(QString, body);
    QFETCH(QString, error);
    const std::string text = "Filetype: IR signals file\nVersion: 1\n" + body.toStdString();
    const ParseResult result = parseFlipper(text);
    QCOMPARE(errorTexts(result), QStringList{error});
    QVERIFY(result.codes.empty());
}

void TstFlipper::badSignalDoesNotStopTheOthers()
{
    const ParseResult result = parseFlipper(
        "\xEF\xBB\xBF"
        "Filetype: IR library file\nVersion: 1\n#\nname: bad\ntype: raw\n"
        "frequency: 38000\nduty_cycle: 0.33\ndata: 0 1\n#\nname: good  \ntype: parsed\n"
        "protocol: SIRC\naddress: 01 00 00 00\ncommand: 15 00 00 00\n");
    QCOMPARE(errorTexts(result), QStringList{"line 8: timing 1 '0' is zero"});
    QCOMPARE(result.codes.size(), std::size_t(1));
    QCOMPARE(result.codes[0].name, std::string("good"));
    QCOMPARE(result.codes[0].line, 10);
    const ParseResult version = parseFlipper("Filetype: IR signals file\nVersion: 2\n");
    QCOMPARE(errorTexts(version), QStringList{"line 2: version '2' is not supported"});
}

void TstFlipper::writerRawEndsWithAMarkAndRefusesNoCarrier()
{
    ExportCode raw{"Power",
                   {38416, std::nullopt, {9000, 4500, 560, 40000}, {9000, 2250, 560, 96000}},
                   std::nullopt,
                   std::nullopt};
    ExportCode dark{"Dark", {0, std::nullopt, {8, 1000}, {}}, std::nullopt, std::nullopt};
    ExportCode fast{"Fast", {57625, std::nullopt, {500, 500}, {}}, std::nullopt, std::nullopt};
    const WriteResult written = writeFlipper({raw, dark, fast});
    QCOMPARE(written.refused,
             std::vector<std::string>{"Dark: a code without carrier cannot be a Flipper signal"});
    QCOMPARE(written.warnings,
             std::vector<std::string>{"Fast: carrier 57625 Hz written as 56000 Hz"});
    QVERIFY(written.text.find("data: 9000 4500 560 40000 9000 2250 560\n") != std::string::npos);
    const ParseResult back = parseFlipper(written.text);
    QVERIFY(back.errors.empty());
    QCOMPARE(back.codes.size(), std::size_t(2));
    QCOMPARE(signalOf(back.codes[0]).frequency, 38416u);
}

void TstFlipper::writerCarriesToggleInParsedRc5()
{
    const IrSignal a{36156, std::nullopt, {889, 889}, {}};
    const IrSignal b{36156, std::nullopt, {1778, 889}, {}};
    ExportCode rc5{"OK", a, b, DecodedCode{"RC5", {{"D", 14}, {"F", 44}, {"T", 0}}, {}}, true};
    ExportCode rc5x{"Menu", a, b, DecodedCode{"RC5x", {{"D", 1}, {"S", 2}, {"F", 3}, {"T", 0}}, {}},
                    true};
    // two codes that are no toggle pair cannot be one parsed signal
    ExportCode two{"Two", a, b, DecodedCode{"RC5", {{"D", 14}, {"F", 44}, {"T", 0}}, {}}, false};
    const WriteResult written = writeFlipper({rc5, rc5x, two});
    const ParseResult back = parseFlipper(written.text);
    QCOMPARE(back.codes.size(), std::size_t(5));
    QCOMPARE(back.codes[4].name, std::string("Two_T"));
    QCOMPARE(describe(back.codes[0]), QStringLiteral("RC5 D=14 F=44"));
    QCOMPARE(back.codes[1].name, std::string("Menu"));
    QCOMPARE(back.codes[2].name, std::string("Menu_T"));
}

QTEST_GUILESS_MAIN(TstFlipper)
#include "tst_flipper.moc"
