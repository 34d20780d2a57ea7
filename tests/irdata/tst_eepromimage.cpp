#include <irdata/eepromimage.h>

#include <support/records.h>

#include <QTest>

#include <algorithm>

using namespace qlv;

namespace {

std::span<const std::uint8_t> span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray toBytes(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray pattern(qsizetype size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i + seed) % 251 + 1);
    return bytes;
}

// The stored values of a whole project: each row a different shape, some name fields filled to
// byte 255, some values short or null.
QList<QByteArray> projectRows()
{
    QList<QByteArray> rows;
    for (int n = 0; n < int(SlotCount); ++n) {
        switch (n % 5) {
        case 0:
            rows << QByteArray(512, '\0');
            break;
        case 1:
            rows << toBytes(test::oneCodeRecord(std::uint8_t(n), "KEY" + std::to_string(n)));
            break;
        case 2:
            rows << toBytes(test::twoCodeRecord(48, std::uint8_t(n), "ABCDEFGHIJKLMNO"));
            rows.last()[255] = 'P';
            break;
        case 3:
            rows << pattern(512, n);
            break;
        default:
            rows << (n % 2 ? QByteArray() : pattern(n % 300, n));
        }
    }
    return rows;
}

std::vector<std::uint8_t> compile(const QList<QByteArray>& rows)
{
    std::vector<std::uint8_t> image;
    for (const QByteArray& row : rows)
        appendSlot(image, row.isNull() ? std::span<const std::uint8_t>{} : span(row));
    return image;
}

} // namespace

class TestEepromImage : public QObject {
    Q_OBJECT

private slots:
    void appendSlotPadsToOneSlot_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("null") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("300 bytes") << pattern(300);
        QTest::newRow("512 bytes") << pattern(512);
        QTest::newRow("longer: cut at 512") << pattern(700);
    }
    void appendSlotPadsToOneSlot()
    {
        QFETCH(QByteArray, stored);
        std::vector<std::uint8_t> image(512, 0x5A); // an earlier slot
        appendSlot(image, stored.isNull() ? std::span<const std::uint8_t>{} : span(stored));

        const QByteArray bytes = toBytes(image);
        QCOMPARE(bytes.size(), 1024);
        QCOMPARE(bytes.left(512), QByteArray(512, '\x5A'));
        const QByteArray kept = stored.left(512);
        QCOMPARE(bytes.mid(512), kept + QByteArray(512 - kept.size(), '\xFF'));
    }

    void newProjectCompilesToZeros()
    {
        const std::vector<std::uint8_t> image = compile(QList<QByteArray>(512, QByteArray(512, 0)));
        QCOMPARE(image.size(), ImageSize);
        QVERIFY(std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0; }));
    }

    void rowsLieInIdOrder()
    {
        QList<QByteArray> rows(512, QByteArray(512, 0));
        rows[2] = toBytes(test::oneCodeRecord(48, "POWER")); // the row with ID 3
        const QByteArray image = toBytes(compile(rows));
        QCOMPARE(image.mid(1024, 512), rows[2]);
        QCOMPARE(image.left(1024), QByteArray(1024, '\0'));
        QCOMPARE(image.mid(1536), QByteArray(int(ImageSize) - 1536, '\0'));
    }

    void compiledImageReadsBack()
    {
        const QList<QByteArray> rows = projectRows();
        const std::vector<std::uint8_t> image = compile(rows);
        QCOMPARE(image.size(), ImageSize);
        for (int n = 0; n < int(SlotCount); ++n) {
            // Unchanged but for byte 255 and the filler of short values.
            QByteArray expected = (rows[n] + QByteArray(512, '\xFF')).left(512);
            expected[255] = '\0';
            QCOMPARE(toBytes(imageSlot(image, std::size_t(n))), expected);
        }
    }

    void shortImageReadsAsFiller_data()
    {
        QTest::addColumn<int>("imageSize");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("present");
        QTest::newRow("slot cut by the end") << 1000 << 1 << 488;
        QTest::newRow("slot past the end") << 1000 << 2 << 0;
        QTest::newRow("slot number past a full image") << int(ImageSize) << 512 << 0;
    }
    void shortImageReadsAsFiller()
    {
        QFETCH(int, imageSize);
        QFETCH(int, slot);
        QFETCH(int, present);
        const QByteArray bytes = pattern(imageSize);
        QByteArray expected = bytes.mid(slot * 512, present) + QByteArray(512 - present, '\xFF');
        expected[255] = '\0';
        QCOMPARE(toBytes(imageSlot(span(bytes), std::size_t(slot))), expected);
    }
};

QTEST_APPLESS_MAIN(TestEepromImage)
#include "tst_eepromimage.moc"
