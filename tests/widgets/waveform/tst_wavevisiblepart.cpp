// The strip as a person sees it, painted from the part in sight, against the whole picture
// drawn at once as the view used to: the same pixels at every scroll position and zoom.
#include <widgets/waveform/qpaintercanvas.h>
#include <widgets/waveform/waveformview.h>

#include <QScrollBar>
#include <QTest>

using namespace qlv;

namespace {

void put16(CodeRecord& record, std::size_t offset, std::uint16_t value)
{
    record[offset] = std::uint8_t(value >> 8);
    record[offset + 1] = std::uint8_t(value);
}

// Two codes whose sequences run the whole 20480 pixels at 60 us a pixel, with short and long
// gaps so that time labels show at every zoom.
CodeRecord longTwoCodeRecord(int seed)
{
    CodeRecord record{};
    for (std::size_t header : {0u, 128u}) {
        record[header] = CodeMarker;
        record[header + 1] = 48;
        put16(record, header + 4, 0);
        put16(record, header + 6, 256);
        put16(record, header + 8, 256);
        for (std::size_t k = 0; k < 16; ++k) {
            put16(record, header + 11 + 4 * k, std::uint16_t(2 + 37 * k + std::size_t(seed)));
            put16(record, header + 13 + 4 * k, std::uint16_t(1 + 11 * k));
        }
    }
    for (std::size_t i = 256; i < 512; ++i)
        record[i] = std::uint8_t(i * 37 + std::size_t(seed));
    return record;
}

QByteArray bytesOfRecord(const CodeRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
}

} // namespace

class TestWaveVisiblePart : public QObject {
    Q_OBJECT

private slots:
    void visiblePartMatchesTheWholeDrawing_data()
    {
        QTest::addColumn<int>("usPerPixel");
        QTest::addColumn<bool>("showTime");
        QTest::addColumn<QList<int>>("scrolls");
        const QList<int> scrolls{0, 377, 5000, 12345, 20000, 100};
        QTest::newRow("60 us") << 60 << false << scrolls;
        QTest::newRow("60 us, times") << 60 << true << scrolls;
        QTest::newRow("1 us, times") << 1 << true << scrolls;
        QTest::newRow("5 us") << 5 << false << scrolls;
        QTest::newRow("640 us, times") << 640 << true << QList<int>{0, 300, 50};
    }

    void visiblePartMatchesTheWholeDrawing()
    {
        QFETCH(int, usPerPixel);
        QFETCH(bool, showTime);
        QFETCH(QList<int>, scrolls);

        // Two rows one after the other, so that the lower strip shows the previous code.
        const QByteArray first = bytesOfRecord(longTwoCodeRecord(0));
        const QByteArray second = bytesOfRecord(longTwoCodeRecord(5));
        const QByteArray* current = &first;

        WaveformView view;
        view.resize(758, 121);
        view.setCurrentIrData([&current] { return std::optional<QByteArray>(*current); });
        view.state().usPerPixel = usPerPixel;
        view.state().showTime = showTime;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QImage whole(wave::PictureWidth, wave::PictureHeight, QImage::Format_RGB32);
        whole.fill(Qt::white);
        QPainterWaveCanvas canvas(whole);
        WaveView reference(canvas, localNumberText);
        reference.usPerPixel = usPerPixel;
        reference.showTime = showTime;

        for (const QByteArray* row : {&first, &second}) {
            current = row;
            view.RedrawWave(true);
            {
                QPainterWaveCanvas::Session session(canvas);
                reference.RedrawWave(
                    true,
                    std::span(reinterpret_cast<const std::uint8_t*>(row->constData()),
                              std::size_t(row->size())),
                    view.width());
            }
            for (int scroll : scrolls) {
                view.horizontalScrollBar()->setValue(scroll);
                const int x = view.horizontalScrollBar()->value();
                const QRect seen(x, 0, view.viewport()->width(), wave::PictureHeight);
                const QImage shown =
                    view.image()->grab(seen).toImage().convertToFormat(QImage::Format_RGB32);
                QCOMPARE(shown.size(), seen.size());
                QVERIFY2(
                    shown == whole.copy(seen),
                    qPrintable(
                        QStringLiteral("scroll %1 of row %2").arg(x).arg(row == &first ? 1 : 2)));
            }
        }
        QVERIFY(view.picture() == whole);
    }
};

QTEST_MAIN(TestWaveVisiblePart)
#include "tst_wavevisiblepart.moc"
