#include "interchangetest.h"

using namespace qlv;
using namespace qlv::interchange;

Q_DECLARE_METATYPE(qlv::interchange::Format)

class TstFormats : public QObject {
    Q_OBJECT

private slots:
    void fromExtension_data();
    void fromExtension();
    void fromContent_data();
    void fromContent();
    void oversizedInputIsRefusedWhole();
};

void TstFormats::fromExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format"); // -1: none
    QTest::newRow("ir") << "/a/b/TV.IR" << int(Format::Flipper);
    QTest::newRow("csv") << "7,7.csv" << int(Format::Csv);
    QTest::newRow("conf") << "x/lircd.conf" << int(Format::Lirc);
    QTest::newRow("lircd.conf") << "sony.lircd.conf" << int(Format::Lirc);
    QTest::newRow("txt") << "codes.txt" << -1;
    QTest::newRow("dotted folder") << "a.ir/codes" << -1;
}

void TstFormats::fromExtension()
{
    QFETCH(QString, path);
    QFETCH(int, format);
    const auto found = formatFromExtension(path.toStdString());
    QCOMPARE(found ? int(*found) : -1, format);
}

void TstFormats::fromContent_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::newRow("flipper") << "Filetype: IR signals file\nVersion: 1\n" << int(Format::Flipper);
    QTest::newRow("lirc") << "# generated\n\nbegin remote\n" << int(Format::Lirc);
    QTest::newRow("mode2") << "carrier 38000\npulse 900\n" << int(Format::Mode2);
    QTest::newRow("ir-ctl") << "+889 -889 +1778\n" << int(Format::Mode2);
    QTest::newRow("pronto") << "Power: 0000 006C 0001 0000 0010 0010\n" << int(Format::Pronto);
    QTest::newRow("pronto short") << "900A 006C 0000 0001 0CF3 38C7\n" << int(Format::Pronto);
    QTest::newRow("csv header") << "functionname,protocol,device,subdevice,function\n"
                                << int(Format::Csv);
    QTest::newRow("csv without header") << "1,NEC,1,254,0\n" << int(Format::Csv);
    QTest::newRow("nothing") << "hello\n" << -1;
}

void TstFormats::fromContent()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    const auto found = formatFromContent(text.toStdString());
    QCOMPARE(found ? int(*found) : -1, format);
}

void TstFormats::oversizedInputIsRefusedWhole()
{
    const std::string big(MaxInputBytes + 1, '\n');
    for (Format format :
         {Format::Pronto, Format::Flipper, Format::Lirc, Format::Mode2, Format::Csv}) {
        const ParseResult result = parseCodes(format, big);
        QCOMPARE(result.errors.size(), std::size_t(1));
        QCOMPARE(result.errors[0].text(), std::string("the file is larger than 16 MiB"));
    }
}

QTEST_GUILESS_MAIN(TstFormats)
#include "tst_formats.moc"
