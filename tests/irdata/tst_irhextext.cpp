#include <irdata/irhextext.h>

#include <QTest>

#include <array>

using namespace qlv;

namespace {

QByteArray toBytes(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::string_view view(const QByteArray& text)
{
    return {text.constData(), std::size_t(text.size())};
}

CodeRecord countingRecord()
{
    CodeRecord record;
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = std::uint8_t(i);
    return record;
}

// n values "00 01 02 ..." on lines of 32, as a user's file might hold them.
QByteArray valuesText(int n)
{
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text +=
            QByteArray::number(i % 256, 16).rightJustified(2, '0') + (i % 32 == 31 ? "\r\n" : " ");
    return text;
}

} // namespace

class TestIrHexText : public QObject {
    Q_OBJECT

private slots:
    void writerLayout()
    {
        const QByteArray text = QByteArray::fromStdString(writeIrHexText(countingRecord()));
        QCOMPARE(text.size(), 1568);
        QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines.takeLast(), QByteArray()); // the last line ends with CR LF too
        for (const QByteArray& line : lines) {
            QCOMPARE(line.size(), 97); // 96 characters and the CR
            QVERIFY(line.endsWith(" \r"));
            QVERIFY(!line.chopped(1).contains('\r'));
        }
        QVERIFY(lines[5].startsWith("A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 "));
        QVERIFY(lines[15].endsWith("FC FD FE FF \r"));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("single digit")
            << QByteArray("A") << true << QByteArray("\x0A") << QByteArray();
        QTest::newRow("pairs cut from the left")
            << QByteArray("ABC") << true << QByteArray("\xAB\x0C") << QByteArray();
        QTest::newRow("0X deleted before the walk")
            << QByteArray("10X2") << true << QByteArray("\x12") << QByteArray();
        QTest::newRow("0x prefixes, lower case, commas")
            << QByteArray("0x12, 0x34,0xab") << true << QByteArray("\x12\x34\xAB") << QByteArray();
        QTest::newRow("separators") << QByteArray("1 2,\r\n\r\n3  44") << true
                                    << QByteArray("\x01\x02\x03\x44") << QByteArray();
        QTest::newRow("blanks and controls trimmed at the ends")
            << QByteArray("\t\r\n 7f\t\x01") << true << QByteArray("\x7F") << QByteArray();
        QTest::newRow("empty text") << QByteArray() << true << QByteArray() << QByteArray();
        QTest::newRow("only a prefix") << QByteArray("0x") << true << QByteArray() << QByteArray();
        QTest::newRow("tab between values")
            << QByteArray("12\t34") << false << QByteArray() << QByteArray("Invalid char '\t'");
        QTest::newRow("tab after one digit")
            << QByteArray("1\t34") << false << QByteArray() << QByteArray("Invalid char '\t'");
        QTest::newRow("shown upper-cased")
            << QByteArray("12 g3") << false << QByteArray() << QByteArray("Invalid char 'G'");
        QTest::newRow("second digit of a pair")
            << QByteArray("12 3z") << false << QByteArray() << QByteArray("Invalid char 'Z'");
        QTest::newRow("x without its zero")
            << QByteArray("12 x3") << false << QByteArray() << QByteArray("Invalid char 'X'");
        QTest::newRow("multi-byte character whole")
            << QByteArray("12 \xE4\xB8\xAD 34") << false << QByteArray()
            << QByteArray("Invalid char '\xE4\xB8\xAD'");
        QTest::newRow("multi-byte character after a digit")
            << QByteArray("1\xC3\xA9") << false << QByteArray()
            << QByteArray("Invalid char '\xC3\xA9'");
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(QByteArray, values);
        QFETCH(QByteArray, message);
        std::array<std::uint8_t, 512> destination{};
        const HexParseResult result = ParseHexText(view(text), destination);
        QCOMPARE(result.ok, ok);
        QCOMPARE(QByteArray::fromStdString(result.message), message);
        if (ok) {
            QCOMPARE(result.count, std::size_t(values.size()));
            QCOMPARE(toBytes(destination).left(values.size()), values);
        }
    }

    void valuesBeyondCapacityCountedNotStored_data()
    {
        QTest::addColumn<int>("values");
        QTest::newRow("511") << 511;
        QTest::newRow("512") << 512;
        QTest::newRow("513") << 513;
        QTest::newRow("1000") << 1000;
    }
    void valuesBeyondCapacityCountedNotStored()
    {
        QFETCH(int, values);
        std::array<std::uint8_t, 520> buffer;
        buffer.fill(0xEE); // guard bytes after the 512 the parser may fill
        const HexParseResult result =
            ParseHexText(view(valuesText(values)), std::span(buffer).first(512));
        QVERIFY(result.ok);
        QCOMPARE(result.count, std::size_t(values));
        const QByteArray bytes = toBytes(buffer);
        const int stored = std::min(values, 512);
        QCOMPARE(bytes.left(stored), toBytes(countingRecord()).left(stored));
        QCOMPARE(bytes.mid(stored), QByteArray(520 - stored, '\xEE'));
    }

    void writtenTextParsesBack_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("every byte value") << toBytes(countingRecord());
        QTest::newRow("zeros") << QByteArray(512, '\0');
        QTest::newRow("filler") << QByteArray(512, '\xFF');
    }
    void writtenTextParsesBack()
    {
        QFETCH(QByteArray, record);
        CodeRecord source;
        std::copy_n(record.constData(), 512, source.begin());
        CodeRecord parsed;
        parsed.fill(0x5A);
        const HexParseResult result = ParseHexText(writeIrHexText(source), parsed);
        QVERIFY(result.ok);
        QCOMPARE(result.count, 512u);
        QCOMPARE(toBytes(parsed), record);
    }
};

QTEST_APPLESS_MAIN(TestIrHexText)
#include "tst_irhextext.moc"
