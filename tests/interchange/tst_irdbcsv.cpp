#include "interchangetest.h"

using namespace qlv;
using namespace qlv::interchange;
using namespace qlv::interchange::test;

class TstIrdbCsv : public QObject {
    Q_OBJECT

private slots:
    void rows();
    void irregularRows_data();
    void irregularRows();
    void badRows_data();
    void badRows();
    void writer();
};

void TstIrdbCsv::rows()
{
    const ParseResult result =
        parseIrdbCsv("functionname,protocol,device,subdevice,function\r\nPOWER,NEC1,7,-1,2\r\n"
                     "\"SP-A, FRONT\",Denon,2,-1,238\r\nCURSOR "
                     "\"OK\",Sony15,186,-1,24\r\n\".\",Sony15,183,-1,74\r\n");
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(4));
    QCOMPARE(result.codes[0].name, std::string("POWER"));
    QCOMPARE(result.codes[0].line, 2);
    QCOMPARE(describe(result.codes[0]), QStringLiteral("NEC1 D=7 F=2"));
    QCOMPARE(result.codes[1].name, std::string("SP-A, FRONT"));
    QCOMPARE(result.codes[2].name, std::string("CURSOR \"OK\""));
    QCOMPARE(result.codes[3].name, std::string("."));
}

void TstIrdbCsv::irregularRows_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("code");
    QTest::newRow("lower case") << "A,nec1,1,254,3"
                                << "NEC1 D=1 S=254 F=3";
    QTest::newRow("NEC renders as NEC1") << "1,NEC,1,254,0"
                                         << "NEC1 D=1 S=254 F=0";
    QTest::newRow("one half") << "A,Sharp{1},1,-1,22"
                              << "Sharp D=1 F=22";
    QTest::newRow("JVC{2}") << "A,JVC{2},3,-1,22"
                            << "JVC D=3 F=22";
    QTest::newRow("D.S") << "PAGE/CHANNEL UP/PREVIOUS,Denon-K,4.1,945"
                         << "Denon-K D=4 S=1 F=945";
    QTest::newRow("alt name") << "A,RC6-6-32,4,15,12"
                              << "MCE D=4 S=15 F=12";
}

void TstIrdbCsv::irregularRows()
{
    QFETCH(QString, row);
    QFETCH(QString, code);
    const ParseResult result = parseIrdbCsv(row.toStdString());
    QVERIFY(result.errors.empty());
    QCOMPARE(result.codes.size(), std::size_t(1));
    QCOMPARE(result.codes[0].line, 1);
    QCOMPARE(describe(result.codes[0]), code);
}

void TstIrdbCsv::badRows_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown protocol") << "A,RECS80,1,-1,2"
                                      << "line 2: protocol 'RECS80' is not one QLV renders";
    QTest::newRow("Samsung36") << "One,Samsung36,32,0,0"
                               << "line 2: Samsung36 needs E, which an IRDB row does not carry";
    QTest::newRow("fields")
        << "A,NEC1,1,2"
        << "line 2: a row needs 5 fields: functionname,protocol,device,subdevice,function";
    QTest::newRow("device") << "A,NEC1,x,-1,2"
                            << "line 2: device 'x' is not a number from 0";
    QTest::newRow("subdevice") << "A,NEC1,1,-2,2"
                               << "line 2: subdevice '-2' is not -1 or a number from 0";
    QTest::newRow("quote") << "\"A,NEC1,1,-1,2"
                           << "line 2: a quoted name is not closed";
}

void TstIrdbCsv::badRows()
{
    QFETCH(QString, row);
    QFETCH(QString, error);
    const ParseResult result = parseIrdbCsv("functionname,protocol,device,subdevice,function\n" +
                                            row.toStdString() + "\nOK,RC5,0,-1,1\n");
    QCOMPARE(errorTexts(result), QStringList{error});
    QCOMPARE(result.codes.size(), std::size_t(1));
}

void TstIrdbCsv::writer()
{
    const IrSignal any{38416, std::nullopt, {500, 500}, {}};
    const WriteResult written = writeIrdbCsv({
        {"Vol, up", any, std::nullopt, DecodedCode{"NEC1", {{"D", 4}, {"S", 251}, {"F", 2}}, {}}},
        {"OK", any, any, DecodedCode{"RC5", {{"D", 14}, {"F", 44}, {"T", 0}}, {}}},
        {"Raw", any, std::nullopt, std::nullopt},
        {"Pana", any, std::nullopt,
         DecodedCode{"Kaseikyo", {{"D", 1}, {"S", 2}, {"F", 3}, {"E", 0}, {"M", 1}, {"N", 2}}, {}}},
    });
    QCOMPARE(written.text, std::string("functionname,protocol,device,subdevice,function\n"
                                       "\"Vol, up\",NEC1,4,251,2\nOK,RC5,14,-1,44\n"));
    QCOMPARE(written.refused.size(), std::size_t(2));
    QCOMPARE(written.warnings.size(), std::size_t(1));
    const ParseResult back = parseIrdbCsv(written.text);
    QCOMPARE(back.codes[0].name, std::string("Vol, up"));
}

QTEST_GUILESS_MAIN(TstIrdbCsv)
#include "tst_irdbcsv.moc"
