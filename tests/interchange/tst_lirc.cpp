#include "interchangetest.h"

#include <numeric>

using namespace qlv;
using namespace qlv::interchange;
using namespace qlv::interchange::test;

namespace {

// probonopd/lirc-remotes abit/AU10 and allsat/SRC5893, cut to one code each.
const char* const NecRemote = R"(#
# this config file was automatically generated
begin remote
  name  AU10
  bits           16
  flags SPACE_ENC|CONST_LENGTH
  eps            30
  aeps          100
  header       9149  4422
  one           666  1569
  zero          666   474
  ptrail        666
  pre_data_bits   16
  pre_data       0x807F
  gap          108554
  toggle_bit      0
      begin codes
          KEY_POWER                0xE01F        #  Was: OnOff
      end codes
end remote
)";

const char* const Rc5Remote =
    "begin remote\r\n  name  SRC5893\r\n  bits 6\r\n  flags SHIFT_ENC\r\n"
    "  one 940 840\r\n  zero 940 840\r\n  plead 940\r\n  pre_data_bits 7\r\n"
    "  pre_data 0x48\r\n  gap 90000\r\n  repeat_bit 2\r\n  begin codes\r\n"
    "    KEY_POWER 0x0C\r\n  end codes\r\nend remote\r\n";

std::uint64_t total(const IrSequence& sequence)
{
    return std::accumulate(sequence.begin(), sequence.end(), std::uint64_t{0});
}

} // namespace

class TstLirc : public QObject {
    Q_OBJECT

private slots:
    void spaceEncodedWithConstLength();
    void biphaseWithToggleBit();
    void repeatLineAndReverse();
    void rawRemotesSeveralInOneFile();
    void malformed_data();
    void malformed();
    void writerOneRemoteACarrierReadsBack();
};

void TstLirc::spaceEncodedWithConstLength()
{
    const ParseResult result = parseLirc(NecRemote);
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(1));
    const NamedCode& code = result.codes[0];
    QCOMPARE(code.name, std::string("KEY_POWER"));
    QCOMPARE(code.line, 18);
    QVERIFY(!code.toggled);
    const IrSignal& signal = signalOf(code);
    QCOMPARE(signal.frequency, 38000u);
    // header, 32 bits MSB first (0x807FE01F), ptrail, then the rest of the 108554 us period
    QCOMPARE(signal.intro.size(), std::size_t(68));
    QCOMPARE(signal.intro[0], 9149u);
    QCOMPARE(signal.intro[1], 4422u);
    QCOMPARE(signal.intro[2], 666u);
    QCOMPARE(signal.intro[3], 1569u);
    QCOMPARE(signal.intro[5], 474u);
    QCOMPARE(total(signal.intro), std::uint64_t{108554});
    QCOMPARE(signal.repeat, signal.intro); // no repeat line: the whole frame again
}

void TstLirc::biphaseWithToggleBit()
{
    const ParseResult result = parseLirc(Rc5Remote);
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(1));
    const NamedCode& code = result.codes[0];
    QVERIFY(code.toggled.has_value());
    // plead, then bits 1 T 01000 001100: a one is space then pulse, a zero pulse then space
    const IrSignal& a = signalOf(code);
    QCOMPARE(IrSequence(a.intro.begin(), a.intro.begin() + 5),
             (IrSequence{940, 840, 1880, 840, 940}));
    QCOMPARE(IrSequence(code.toggled->intro.begin(), code.toggled->intro.begin() + 5),
             (IrSequence{940, 840, 940, 840, 1880}));
    QCOMPARE(a.intro.back(), 840u + 90000u); // the last zero's space runs into the gap
}

void TstLirc::repeatLineAndReverse()
{
    const ParseResult result = parseLirc(R"(begin remote
  name NEC1
  bits 8
  flags SPACE_ENC|REVERSE
  header 9000 4500
  one 560 1690
  zero 560 560
  ptrail 560
  repeat 9000 2250
  pre_data_bits 8
  pre_data 0x01
  gap 40000
  repeat_gap 96000
  begin codes
    A 0x80
  end codes
end remote)");
    QVERIFY(result.errors.empty());
    const IrSignal& signal = signalOf(result.codes[0]);
    // REVERSE sends pre_data 0x01 LSB first: a one, then seven zeros
    QCOMPARE(signal.intro[3], 1690u);
    QCOMPARE(signal.intro[5], 560u);
    QCOMPARE(signal.intro[signal.intro.size() - 3], 1690u); // code 0x80 reversed ends with a one
    QCOMPARE(signal.repeat, (IrSequence{9000, 2250, 560, 96000}));
}

void TstLirc::rawRemotesSeveralInOneFile()
{
    const ParseResult result = parseLirc(R"(begin remote
  name  TEST
  flags RAW_CODES
  frequency 36000
  gap 50000
  begin raw_codes
    name ONE
      900 900 1800
    name TWO
      500 600
      700 800
  end raw_codes
end remote
begin remote
  name SECOND
  flags RAW_CODES|CONST_LENGTH
  gap 10000
  begin raw_codes
  name X 1000 1000 1000
  end raw_codes
end remote
)");
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(3));
    QCOMPARE(signalOf(result.codes[0]).intro, (IrSequence{900, 900, 1800, 50000}));
    QCOMPARE(signalOf(result.codes[0]).frequency, 36000u);
    QCOMPARE(signalOf(result.codes[1]).intro, (IrSequence{500, 600, 700, 800}));
    QCOMPARE(result.codes[2].name, std::string("X"));
    QCOMPARE(signalOf(result.codes[2]).intro, (IrSequence{1000, 1000, 1000, 7000}));
    QCOMPARE(signalOf(result.codes[2]).frequency, 38000u);
}

void TstLirc::malformed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("RCMM")
        << "begin remote\nname X\nflags RCMM\nbits 12\nbegin codes\nA 0x1\nend codes\nend remote\n"
        << QStringList{"line 3: flag 'RCMM' is an encoding QLV cannot render"};
    QTest::newRow("header") << "begin remote\nname X\nbits 8\nheader 9000 abc\nbegin codes\nA "
                               "0x1\nend codes\nend remote\n"
                            << QStringList{"line 4: 'header' is not a number"};
    QTest::newRow("bits") << "begin remote\nname X\nbits 40\npre_data_bits 32\nbegin codes\nA "
                             "0x1\nend codes\nend remote\n"
                          << QStringList{"line 1: the remote has more than 64 bits a code"};
    QTest::newRow("code value") << "begin remote\nbits 8\ngap 1000\none 1 1\nzero 1 1\nbegin "
                                   "codes\nA 0xZZ\nB 1\nend codes\nend remote\n"
                                << QStringList{"line 7: code 'A': '0xZZ' is not a number"};
    QTest::newRow("truncated")
        << "begin remote\nname X\nflags RAW_CODES\nbegin raw_codes\nname A\n100 200 300\n"
        << QStringList{"line 1: the remote has no 'end remote'"};
    QTest::newRow("zero") << "begin remote\nflags RAW_CODES\nbegin raw_codes\nname A\n100 0 "
                             "300\nend raw_codes\nend remote\n"
                          << QStringList{"line 5: 'A': '0' is not a positive duration"};
    QString many = "begin remote\nflags RAW_CODES\nbegin raw_codes\nname A\n";
    for (int i = 0; i < 1025; ++i)
        many += "500 ";
    many += "\nend raw_codes\nend remote\n";
    QTest::newRow("1025 durations") << many << QStringList{"line 5: 'A': more than 1024 durations"};
}

void TstLirc::malformed()
{
    QFETCH(QString, text);
    QFETCH(QStringList, errors);
    const ParseResult result = parseLirc(text.toStdString());
    QCOMPARE(errorTexts(result), errors);
}

void TstLirc::writerOneRemoteACarrierReadsBack()
{
    ExportCode power{"Power key",
                     {38416,
                      std::nullopt,
                      {9035, 4513, 572, 564, 572, 150000, 572, 96156},
                      {9035, 2256, 572, 96156}},
                     std::nullopt,
                     std::nullopt};
    ExportCode ok{"OK",
                  {36156, std::nullopt, {}, {889, 889, 1778, 90000}},
                  IrSignal{36156, std::nullopt, {}, {1778, 889, 889, 90000}},
                  std::nullopt};
    const WriteResult written = writeLirc({power, ok}, "My TV");
    QVERIFY(written.refused.empty());
    QVERIFY(written.text.find("name  My_TV\n") != std::string::npos);
    QVERIFY(written.text.find("name  My_TV_2\n") != std::string::npos);
    QVERIFY(written.text.find("gap   96156\n") != std::string::npos);
    // six-digit durations stay apart
    QVERIFY(
        written.text.find(
            "      9035  4513   572   564   572 150000\n       572 96156  9035  2256   572\n") !=
        std::string::npos);
    const ParseResult back = parseLirc(written.text);
    QVERIFY(back.errors.empty());
    QCOMPARE(back.codes.size(), std::size_t(3));
    QCOMPARE(back.codes[0].name, std::string("Power_key"));
    // a raw remote has no repeat part: the frame and one repeat, the remote's gap after them
    IrSequence frameAndRepeat = power.signal.intro;
    frameAndRepeat.insert(frameAndRepeat.end(), power.signal.repeat.begin(),
                          power.signal.repeat.end());
    QCOMPARE(signalOf(back.codes[0]).intro, frameAndRepeat);
    QCOMPARE(back.codes[2].name, std::string("OK_T"));
    QCOMPARE(signalOf(back.codes[2]).intro, ok.toggled->repeat);
    QCOMPARE(signalOf(back.codes[2]).frequency, 36156u);
}

QTEST_GUILESS_MAIN(TstLirc)
#include "tst_lirc.moc"
