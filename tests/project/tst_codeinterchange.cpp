// Codes from other tools' files into slot records and back out, without the command line.
#include <project/codeinterchange.h>

#include <irdata/irprotocol.h>
#include <irdata/signalrecord.h>

#include <QTest>

using namespace qlv;
using namespace qlv::interchange;

namespace {

QString decodedText(const CodeRecord& record, Code code)
{
    const auto decoded = decodeCode(record, code);
    return decoded ? QString::fromStdString(describeDecoded(*decoded)) : QStringLiteral("-");
}

// A cooked lircd.conf remote around the given parameter lines and one code.
std::string remote(const QString& parameters, const QString& code)
{
    return QStringLiteral(
               "begin remote\n  name R\n%1\n  begin codes\n    KEY %2\n  end codes\nend remote\n")
        .arg(parameters, code)
        .toStdString();
}

} // namespace

class TstCodeInterchange : public QObject {
    Q_OBJECT

private slots:
    void cookedLircRemotesDecode_data();
    void cookedLircRemotesDecode();
    void togglePairBecomesOneRecord();
    void namesAreCutOnACharacterBoundary();
    void problemsNameTheirCode();
    void exportGivesToggleStatesAndSlotNames();
    void slotList_data();
    void slotList();
};

void TstCodeInterchange::cookedLircRemotesDecode_data()
{
    // Parameters of remotes of the LIRC remotes database, with the decodes DecodeIR gave them;
    // code A holds T = 0 whichever state the file writes first.
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("NEC, whole-frame repeats")
        << "bits 16\nflags SPACE_ENC|CONST_LENGTH\nheader 9149 4422\none 666 1569\nzero 666 474\n"
           "ptrail 666\npre_data_bits 16\npre_data 0x807F\ngap 108554"
        << "0xE01F"
        << "NEC2 D=1 S=254 F=7"
        << "";
    QTest::newRow("NEC with a repeat line")
        << "bits 16\nflags SPACE_ENC|CONST_LENGTH\nheader 9149 4422\none 666 1569\nzero 666 474\n"
           "ptrail 666\nrepeat 9149 2200\npre_data_bits 16\npre_data 0x807F\ngap 108554"
        << "0xE01F"
        << "NEC1 D=1 S=254 F=7"
        << "";
    QTest::newRow("NECx")
        << "bits 16\nflags SPACE_ENC\nheader 4650 4371\none 560 1690\nzero 560 560\n"
           "ptrail 560\npre_data_bits 16\npre_data 0xA0A0\ngap 45000"
        << "0x40BF"
        << "NECx2 D=5 S=5 F=2"
        << "";
    QTest::newRow("Pioneer, swapped one/zero")
        << "bits 13\nflags SPACE_ENC\nheader 9200 4000\none 800 400\nzero 800 1600\nptrail 800\n"
           "pre_data_bits 16\npre_data 0xFD02\npost_data_bits 3\npost_data 0\nfrequency 40000\ngap "
           "40000"
        << "0x16E9"
        << "Pioneer D=64 S=191 F=18"
        << "";
    QTest::newRow("Aiwa")
        << "bits 15\nflags SPACE_ENC\nheader 9065 4430\none 623 499\nzero 623 1622\n"
           "ptrail 623\nrepeat 9175 4432\npre_data_bits 26\npre_data 0x227EEC0\n"
           "post_data_bits 1\npost_data 0\ngap 23000"
        << "0x6798"
        << "Aiwa D=110 S=0 F=12"
        << "";
    QTest::newRow("RC5 with plead and repeat_bit")
        << "bits 6\nflags SHIFT_ENC\none 940 840\nzero 940 840\nplead 940\npre_data_bits 7\n"
           "pre_data 0x48\ngap 90000\nrepeat_bit 2"
        << "0x0C"
        << "RC5 D=8 F=12 T=0"
        << "RC5 D=8 F=12 T=1";
    QTest::newRow("RC6, complemented bits")
        << "bits 8\nflags RC6|CONST_LENGTH\nheader 2764 792\none 506 384\nzero 506 384\n"
           "pre_data_bits 13\npre_data 0xEFB\ngap 106000\ntoggle_bit_mask 0x10000\nrc6_mask 0x10000"
        << "0xF3"
        << "RC6 D=4 F=12 T=0"
        << "RC6 D=4 F=12 T=1";
    QTest::newRow("MCE")
        << "bits 13\nflags RC6|CONST_LENGTH\nheader 2667 889\none 444 444\nzero 444 444\n"
           "pre_data_bits 24\npre_data 0x1BFF83\ngap 105000\ntoggle_bit_mask 0x8000\n"
           "rc6_mask 0x100000000"
        << "0x1BF3"
        << "MCE D=4 S=15 F=12 T=0"
        << "MCE D=4 S=15 F=12 T=1";
    QTest::newRow("Panasonic, swapped one/zero")
        << "bits 24\nflags SPACE_ENC\nheader 3552 1629\none 521 324\nzero 521 1167\nptrail 521\n"
           "pre_data_bits 24\npre_data 0xBFFBFA\ngap 75000"
        << "0xC7437E"
        << "Panasonic D=160 S=28 F=61"
        << "";
    QTest::newRow("JVC without repeated header")
        << "bits 16\nflags SPACE_ENC|NO_HEAD_REP|CONST_LENGTH\nheader 8604 4059\none 657 1449\n"
           "zero 657 396\nptrail 657\ngap 46764"
        << "0xC5D0"
        << "JVC D=163 F=11"
        << "";
    QTest::newRow("RCA at the default frequency")
        << "bits 24\nflags SPACE_ENC\nheader 4004 3912\none 520 1910\nzero 520 907\nptrail "
           "520\ngap 7921"
        << "0xC2A3D5"
        << "RCA-38 D=12 F=42"
        << "";
}

void TstCodeInterchange::cookedLircRemotesDecode()
{
    QFETCH(QString, parameters);
    QFETCH(QString, code);
    QFETCH(QString, a);
    QFETCH(QString, b);
    const ParseResult parsed = parseLirc(remote(parameters, code));
    QVERIFY(parsed.errors.empty());
    const ImportPlan plan = planCodeImport(parsed, 1);
    QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.join('\n')));
    QCOMPARE(plan.stored.size(), std::size_t(1));
    const CodeRecord& record = plan.stored[0].record;
    QCOMPARE(decodedText(record, Code::A), a);
    QCOMPARE(hasCode(record, Code::B), !b.isEmpty());
    if (!b.isEmpty())
        QCOMPARE(decodedText(record, Code::B), b);
}

void TstCodeInterchange::togglePairBecomesOneRecord()
{
    // RC5 D=1 F=1 as T=0 and T=1, the second written after the first under NAME_T, and the
    // same pair under two unrelated names, which stay two slots.
    const std::string t0 = "0000 0073 0000 000C 0020 0020 0040 0020 0020 0020 0020 0020 0020 0020 "
                           "0020 0040 0040 0020 0020 0020 0020 0020 0020 0020 0020 0040 0020 0CA8";
    const std::string t1 = "0000 0073 0000 000C 0020 0020 0020 0020 0040 0020 0020 0020 0020 0020 "
                           "0020 0040 0040 0020 0020 0020 0020 0020 0020 0020 0020 0040 0020 0CA8";
    const ImportPlan plan = planCodeImport(
        parsePronto("OK_T\t" + t1 + "\nOK\t" + t0 + "\nBACK\t" + t1 + "\nEXIT\t" + t0 + "\n"), 7);
    QVERIFY(plan.problems.isEmpty());
    QCOMPARE(plan.stored.size(), std::size_t(3));
    QCOMPARE(plan.stored[0].id, 7);
    QCOMPARE(plan.stored[0].name, QStringLiteral("OK_T"));
    QCOMPARE(decodedText(plan.stored[0].record, Code::A), QStringLiteral("RC5 D=1 F=1 T=0"));
    QCOMPARE(decodedText(plan.stored[0].record, Code::B), QStringLiteral("RC5 D=1 F=1 T=1"));
    QCOMPARE(plan.stored[1].name, QStringLiteral("BACK"));
    QCOMPARE(plan.stored[2].id, 9);
    QVERIFY(!hasCode(plan.stored[2].record, Code::B));
    // A protocol code of a toggling protocol renders both states itself.
    const ImportPlan csv = planCodeImport(parseIrdbCsv("A,RC6,4,-1,12\n"), 1);
    QCOMPARE(decodedText(csv.stored[0].record, Code::B), QStringLiteral("RC6 D=4 F=12 T=1"));
}

void TstCodeInterchange::namesAreCutOnACharacterBoundary()
{
    const ImportPlan plan = planCodeImport(
        parseIrdbCsv(
            "\xE9\x9F\xB3\xE9\x87\x8F\xE5\x8A\xA0\xE5\xA4\xA7\xE5\x87\x8F\xE5\xB0\x8F"
            "\xE9\x9D\x99\xE9\x9F\xB3,NEC1,1,-1,2\n,NEC1,1,-1,3\nABCDEFGHIJKLMNOPQ,NEC1,1,-1,4\n"),
        30);
    QCOMPARE(plan.stored.size(), std::size_t(3));
    // eight double-byte characters: seven fit 15 bytes
    QCOMPARE(plan.stored[0].name,
             QString::fromUtf8("\xE9\x9F\xB3\xE9\x87\x8F\xE5\x8A\xA0\xE5\xA4\xA7"
                               "\xE5\x87\x8F\xE5\xB0\x8F\xE9\x9D\x99"));
    QCOMPARE(plan.stored[1].name, QStringLiteral("Slot 31"));
    QCOMPARE(plan.stored[2].name, QStringLiteral("ABCDEFGHIJKLMNO"));
    QCOMPARE(nameText(plan.stored[2].record), std::string("ABCDEFGHIJKLMNO"));
}

void TstCodeInterchange::problemsNameTheirCode()
{
    // 20 distinct gaps need 20 timing pairs; the device has 16.
    std::string wide = "Wide\t0000 006C 0014 0000";
    for (int i = 0; i < 20; ++i)
        wide += " 0010 " + QStringLiteral("%1")
                               .arg(0x20 + 0x30 * i, 4, 16, QLatin1Char('0'))
                               .toUpper()
                               .toStdString();
    const ImportPlan plan = planCodeImport(
        parsePronto("Good\t0000 006C 0001 0000 0010 0400\n" + wide +
                    "\nBad\t0000 006C 0001 0000 0010\nA\t0000 006C 0001 0000 0010 0400\n"
                    "B\t0000 006C 0001 0000 0010 0400\n"),
        511);
    QCOMPARE(plan.stored.size(), std::size_t(2));
    QCOMPARE(plan.stored[1].name, QStringLiteral("A"));
    QCOMPARE(plan.problems.size(), 3);
    QVERIFY2(plan.problems[0].startsWith("line 3: a Pronto code needs at least 6 words"),
             qPrintable(plan.problems[0]));
    QVERIFY2(plan.problems[1].startsWith("line 2 (Wide): ") && plan.problems[1].contains("16"),
             qPrintable(plan.problems[1]));
    QCOMPARE(plan.problems[2], QStringLiteral("line 5 (B): past slot 512"));
}

void TstCodeInterchange::exportGivesToggleStatesAndSlotNames()
{
    const ImportPlan plan = planCodeImport(parseIrdbCsv("Menu,RC5,1,-1,2\n,NEC1,4,-1,8\n"), 1);
    QCOMPARE(plan.stored.size(), std::size_t(2));
    const auto codes = exportCodesOf({{3, "Menu", plan.stored[0].record},
                                      {9, "", plan.stored[1].record},
                                      {10, "Empty", CodeRecord{}}});
    QCOMPARE(codes.size(), std::size_t(2));
    QCOMPARE(codes[0].name, std::string("Menu"));
    QVERIFY(codes[0].toggled.has_value());
    QVERIFY(codes[0].togglePair);
    QCOMPARE(codes[1].name, std::string("Slot 9"));
    QCOMPARE(QString::fromStdString(describeDecoded(*codes[1].decoded)),
             QStringLiteral("NEC1 D=4 S=251 F=8"));
}

void TstCodeInterchange::slotList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("ranges") << "1-3,33, 2"
                            << "1 2 3 33";
    QTest::newRow("reversed") << "5-3"
                              << "\"5-3\" is not a slot ID or range of 1 to 512.";
    QTest::newRow("past 512") << "510-513"
                              << "\"510-513\" is not a slot ID or range of 1 to 512.";
    QTest::newRow("word") << "1,x"
                          << "\"x\" is not a slot ID or range of 1 to 512.";
}

void TstCodeInterchange::slotList()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    const auto parsed = parseSlotList(text);
    if (const auto* message = std::get_if<QString>(&parsed)) {
        QCOMPARE(*message, result);
    } else {
        QStringList ids;
        for (int id : std::get<std::vector<int>>(parsed))
            ids << QString::number(id);
        QCOMPARE(ids.join(' '), result);
    }
}

QTEST_GUILESS_MAIN(TstCodeInterchange)
#include "tst_codeinterchange.moc"
