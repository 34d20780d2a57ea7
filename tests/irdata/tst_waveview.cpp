// The waveform's geometry, read from the calls it makes on a recording canvas.
#include <irdata/waveview.h>

#include <support/learnedcodes.h>
#include <support/records.h>

#include <QTest>

#include <algorithm>

using namespace qlv;
using namespace qlv::wave;
using qlv::test::putBigEndian16;

namespace {

struct Op {
    enum Kind { Fill, Line, Text } kind;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a fill keeps its width and height in x2, y2
    WaveColour colour;
    int pen = 0;
    std::string text;
};

class RecordingCanvas : public WaveCanvas {
public:
    std::vector<Op> ops;

    void fillRect(int x, int y, int width, int height, WaveColour colour) override
    {
        ops.push_back({Op::Fill, x, y, width, height, colour, 0, {}});
    }
    void line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth) override
    {
        ops.push_back({Op::Line, x1, y1, x2, y2, colour, penWidth, {}});
    }
    void text(int x, int y, std::string_view text) override
    {
        ops.push_back({Op::Text, x, y, 0, 0, TextColour, 0, std::string(text)});
    }
    int textWidth(std::string_view text) override { return 6 * int(text.size()); }
    int textHeight() override { return 11; }

    // The trace of a strip: its lines other than the ruler's, y made strip-relative.
    std::vector<Op> trace(int strip) const
    {
        std::vector<Op> lines;
        for (const Op& op : ops)
            if (op.kind == Op::Line && op.y1 / StripHeight == strip && !(op.colour == Yellow)) {
                Op relative = op;
                relative.y1 -= StripHeight * strip;
                relative.y2 -= StripHeight * strip;
                lines.push_back(relative);
            }
        return lines;
    }
    std::vector<Op> texts(int strip) const
    {
        std::vector<Op> found;
        for (const Op& op : ops)
            if (op.kind == Op::Text && op.y1 / StripHeight == strip) {
                Op relative = op;
                relative.y1 -= StripHeight * strip;
                found.push_back(relative);
            }
        return found;
    }
    QStringList textsOf(int strip) const
    {
        QStringList found;
        for (const Op& op : texts(strip))
            found << QString::fromStdString(op.text);
        return found;
    }
    std::vector<Op> rulerLines(int strip) const
    {
        std::vector<Op> lines;
        for (const Op& op : ops)
            if (op.kind == Op::Line && op.y1 / StripHeight == strip && op.colour == Yellow)
                lines.push_back(op);
        return lines;
    }
};

std::span<const std::uint8_t> bytes(const CodeRecord& record)
{
    return record;
}

// A code of code A only: its pairs, its entries (pair numbers) and the first-part length;
// the remaining entries form the repeat range.
CodeRecord codeOf(std::uint8_t period, std::vector<TimingPair> pairs,
                  std::vector<std::uint8_t> entries, std::uint16_t firstLength)
{
    CodeRecord record{};
    record[0] = CodeMarker;
    record[1] = period;
    putBigEndian16(record, 4, firstLength);
    putBigEndian16(record, 6, std::uint16_t(entries.size()));
    putBigEndian16(record, 8, firstLength);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        putBigEndian16(record, 11 + 4 * k, pairs[k].gap);
        putBigEndian16(record, 13 + 4 * k, pairs[k].burst);
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        record[256 + i / 2] |= std::uint8_t(i % 2 == 0 ? entries[i] : entries[i] << 4);
    return record;
}

// Gaps only (P = 0 bursts round to 0 pixels): n gaps of 100 pixels, then one of 50 when
// half is set, at 60 us per pixel. gap 1383 is 6002 us, gap 691 is 2998 us.
CodeRecord gapsRecord(int n, bool half)
{
    std::vector<std::uint8_t> entries(std::size_t(n), 0);
    if (half)
        entries.push_back(1);
    return codeOf(0, {{1383, 0}, {691, 0}}, entries, std::uint16_t(entries.size()));
}

int endOfTrace(const std::vector<Op>& trace)
{
    // The idle line is the last trace line; it starts where the steps end.
    return trace.empty() ? -1 : trace.back().x1;
}

bool allColoured(const std::vector<Op>& lines, WaveColour colour)
{
    return std::all_of(lines.begin(), lines.end(),
                       [&](const Op& op) { return op.colour == colour; });
}

QStringList colours(const std::vector<Op>& lines)
{
    QStringList names;
    for (const Op& op : lines) {
        const QString name = op.colour == Red    ? "red"
                             : op.colour == Blue ? "blue"
                             : op.colour == Grey ? "grey"
                                                 : "other";
        if (names.isEmpty() || names.back() != name)
            names << name;
    }
    return names;
}

} // namespace

class TestWaveView : public QObject {
    Q_OBJECT

private slots:
    void pairDrawsGapThenBurstWithLabels()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.showTime = true;
        const CodeRecord record = qlv::test::oneCodeRecord(48, {}, 1);
        QVERIFY(view.RedrawWave(false, bytes(record), 756));

        const std::vector<Op> trace = canvas.trace(0);
        QCOMPARE(trace.size(), std::size_t(5)); // gap, rise, burst, fall, idle
        auto expectLine = [](const Op& op, int x1, int y1, int x2, int y2) {
            QCOMPARE(QList<int>({op.x1, op.y1, op.x2, op.y2}), QList<int>({x1, y1, x2, y2}));
            QCOMPARE(op.pen, 1);
        };
        expectLine(trace[0], 0, 30, 72, 30);
        expectLine(trace[1], 72, 30, 72, 5);
        expectLine(trace[2], 72, 5, 81, 5);
        expectLine(trace[3], 81, 5, 81, 30);
        expectLine(trace[4], 81, 30, 20480, 30);
        QCOMPARE(colours(trace), QStringList({"red", "blue"}));

        // 4339 us over 72 pixels is labelled; 520 us over 9 pixels is not.
        const std::vector<Op> texts = canvas.texts(0);
        const auto gapLabel = std::find_if(texts.begin(), texts.end(),
                                           [](const Op& op) { return op.text == "4339"; });
        QVERIFY(gapLabel != texts.end());
        QCOMPARE(QList<int>({gapLabel->x1, gapLabel->y1}), QList<int>({1, 15}));
        QVERIFY(!canvas.textsOf(0).contains("520"));
        QCOMPARE(view.stripWidth[0], 766u); // 81 + 50 lies below the box width

        // The label is written opaque, before the lines of its step.
        const auto at = [&](auto pred) {
            return std::find_if(canvas.ops.begin(), canvas.ops.end(), pred) - canvas.ops.begin();
        };
        const auto label = at([](const Op& op) { return op.text == "4339"; });
        const auto gapLine =
            at([](const Op& op) { return op.kind == Op::Line && op.y1 == 30 && op.x2 == 72; });
        QVERIFY(label < gapLine);
        const Op& behind = canvas.ops[std::size_t(label - 1)];
        QCOMPARE(behind.kind, Op::Fill);
        QCOMPARE(QList<int>({behind.x1, behind.y1, behind.x2, behind.y2}),
                 QList<int>({1, 15, 24, 11}));
        QVERIFY(behind.colour == Background);
    }

    void showTimeLabel_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("us");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("labelled");
        QTest::newRow("off") << false << 5000 << 500 << false;
        QTest::newRow("1000 at 20") << true << 1000 << 20 << true;
        QTest::newRow("1000 at 19") << true << 1000 << 19 << false;
        QTest::newRow("999 at 15") << true << 999 << 15 << true;
        QTest::newRow("100 at 14") << true << 100 << 14 << false;
        QTest::newRow("99 at 10") << true << 99 << 10 << true;
        QTest::newRow("10 at 9") << true << 10 << 9 << false;
        QTest::newRow("9 at 5") << true << 9 << 5 << true;
        QTest::newRow("0 at 4") << true << 0 << 4 << false;
    }
    void showTimeLabel()
    {
        QFETCH(bool, shown);
        QFETCH(int, us);
        QFETCH(int, pixels);
        QFETCH(bool, labelled);
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.showTime = shown;
        QCOMPARE(view.showTimeLabel(std::uint64_t(us), std::uint64_t(pixels)), labelled);
    }

    void stripWidth_data()
    {
        QTest::addColumn<int>("gaps");
        QTest::addColumn<bool>("half");
        QTest::addColumn<int>("end");
        QTest::addColumn<unsigned>("width");
        QTest::newRow("ends at 100: box + 10") << 1 << false << 100 << 766u;
        QTest::newRow("ends at 1000: x + 50") << 10 << false << 1000 << 1050u;
        QTest::newRow("ends at 20450: at most 20480") << 204 << true << 20450 << 20480u;
        QTest::newRow("ends beyond the picture") << 300 << false << -1 << 20480u;
    }
    void stripWidth()
    {
        QFETCH(int, gaps);
        QFETCH(bool, half);
        QFETCH(int, end);
        QFETCH(unsigned, width);
        RecordingCanvas canvas;
        WaveView view(canvas);
        const CodeRecord record = gapsRecord(gaps, half);
        view.RedrawWave(false, bytes(record), 756);
        if (end >= 0)
            QCOMPARE(endOfTrace(canvas.trace(0)), end);
        else
            QVERIFY(std::all_of(canvas.ops.begin(), canvas.ops.end(), [](const Op& op) {
                return op.x1 <= PictureWidth + 1 && (op.kind != Op::Line || op.x2 <= 20481);
            }));
        QCOMPARE(view.stripWidth[0], width);
        QCOMPARE(view.stripWidth[1], 766u); // "No IR Data!" in Auto Clear mode
        QCOMPARE(view.pictureWidth, width);
    }

    void zoom_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("in");
        QTest::addColumn<QList<int>>("sequence");
        QTest::newRow("in from 60") << 60 << true << QList<int>{30, 15, 7, 3, 1, 1};
        QTest::newRow("out from 1")
            << 1 << false << QList<int>{5, 10, 20, 40, 80, 160, 320, 640, 640};
        QTest::newRow("out from 60") << 60 << false << QList<int>{120, 240, 480, 960, 960};
    }
    void zoom()
    {
        QFETCH(int, start);
        QFETCH(bool, in);
        QFETCH(QList<int>, sequence);
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.usPerPixel = start;
        QList<int> seen;
        for (qsizetype i = 0; i < sequence.size(); ++i) {
            in ? view.zoomIn() : view.zoomOut();
            seen << view.usPerPixel;
        }
        QCOMPARE(seen, sequence);
        view.normalSize();
        QCOMPARE(view.usPerPixel, 60);
    }

    void ruler_data()
    {
        QTest::addColumn<int>("usPerPixel");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QStringList>("firstLabels");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("60") << 60 << false << QStringList{"3ms", "6ms", "9ms"} << "1227ms";
        QTest::newRow("1") << 1 << false << QStringList{"0.05ms", "0.1ms", "0.15ms"} << "20.45ms";
        QTest::newRow("7") << 7 << false << QStringList{"0.35ms", "0.7ms", "1.05ms"} << "143.15ms";
        QTest::newRow("user's decimal comma")
            << 1 << true << QStringList{"0,05ms", "0,1ms", "0,15ms"} << "20,45ms";
    }
    void ruler()
    {
        QFETCH(int, usPerPixel);
        QFETCH(bool, comma);
        QFETCH(QStringList, firstLabels);
        QFETCH(QString, lastLabel);
        RecordingCanvas canvas;
        NumberText numberText = decimalText;
        if (comma)
            numberText = [](long double value) {
                std::string text = decimalText(value);
                std::replace(text.begin(), text.end(), '.', ',');
                return text;
            };
        WaveView view(canvas, numberText);
        view.usPerPixel = usPerPixel;
        const CodeRecord record = qlv::test::oneCodeRecord(48);
        view.RedrawWave(false, bytes(record), 756);

        const std::vector<Op> ruler = canvas.rulerLines(0);
        QCOMPARE(ruler.size(), std::size_t(1 + 409));
        QCOMPARE(QList<int>({ruler[0].x1, ruler[0].y1, ruler[0].x2, ruler[0].y2}),
                 QList<int>({0, 35, 20480, 35}));
        for (std::size_t i = 1; i < ruler.size(); ++i) {
            const int p = int(50 * i);
            QCOMPARE(QList<int>({ruler[i].x1, ruler[i].y1, ruler[i].x2, ruler[i].y2}),
                     QList<int>({p, 35, p, 32}));
        }
        QVERIFY(std::all_of(ruler.begin(), ruler.end(), [](const Op& op) { return op.pen == 2; }));

        std::vector<Op> labels;
        for (const Op& op : canvas.texts(0))
            if (op.y1 == 37)
                labels.push_back(op);
        QCOMPARE(labels.size(), std::size_t(409));
        QStringList first;
        for (int i = 0; i < 3; ++i)
            first << QString::fromStdString(labels[std::size_t(i)].text);
        QCOMPARE(first, firstLabels);
        QCOMPARE(QString::fromStdString(labels.back().text), lastLabel);
        QCOMPARE(labels.front().x1, 45);
        QCOMPARE(labels.back().x1, 20445);
    }

    void rollingShowsThePreviousRowGrey()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.mode = WaveMode::Rolling;
        const CodeRecord row1 = gapsRecord(3, false); // steps end at 300
        CodeRecord row2 = qlv::test::oneCodeRecord(48, {}, 2);
        putBigEndian16(row2, 4, 1); // entry 1 forms the repeat range
        putBigEndian16(row2, 8, 1);
        view.RedrawWave(true, bytes(row1), 756);
        canvas.ops.clear();
        view.RedrawWave(true, bytes(row2), 756);

        QCOMPARE(colours(canvas.trace(0)), QStringList({"red", "blue"}));
        QCOMPARE(endOfTrace(canvas.trace(0)), 162);
        const std::vector<Op> strip1 = canvas.trace(1);
        QVERIFY(allColoured(strip1, Grey));
        QCOMPARE(endOfTrace(strip1), 300);
        QCOMPARE(canvas.rulerLines(1).size(), std::size_t(410));
        QVERIFY(view.previousRecord == row1);
    }

    void autoClearShowsNoDataBelow()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.RedrawWave(true, bytes(gapsRecord(3, false)), 756);
        canvas.ops.clear();
        view.RedrawWave(true, bytes(qlv::test::oneCodeRecord(48)), 756);
        QCOMPARE(canvas.trace(1).size(), std::size_t(0));
        QCOMPARE(canvas.textsOf(1), QStringList{"No IR Data!"});
        QCOMPARE(canvas.texts(1).front().x1, 8);
        QCOMPARE(canvas.texts(1).front().y1, 8);
        QVERIFY(canvas.rulerLines(1).empty());
        QCOMPARE(view.stripWidth[1], 766u);
    }

    void twoCodeRecordIsRedThenBlueInBothStrips_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("Auto Clear") << false;
        QTest::newRow("Rolling") << true;
    }
    void twoCodeRecordIsRedThenBlueInBothStrips()
    {
        QFETCH(bool, rolling);
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.mode = rolling ? WaveMode::Rolling : WaveMode::AutoClear;
        const CodeRecord record = qlv::test::learnedRecord(qlv::test::rc5Signal(false, 5, 12),
                                                           qlv::test::rc5Signal(true, 5, 13));
        view.RedrawWave(true, bytes(qlv::test::oneCodeRecord(48)), 756);
        canvas.ops.clear();
        view.RedrawWave(true, bytes(record), 756);

        QCOMPARE(colours(canvas.trace(0)), QStringList({"red", "blue"}));
        QCOMPARE(colours(canvas.trace(1)), QStringList({"red", "blue"}));
        // Code B carries the other toggle bit and command: both start alike, then part.
        const std::vector<Op> a = canvas.trace(0), b = canvas.trace(1);
        QCOMPARE(a.front().x2, b.front().x2);
        bool differ = a.size() != b.size();
        for (std::size_t i = 0; !differ && i < a.size(); ++i)
            differ = a[i].x1 != b[i].x1 || a[i].x2 != b[i].x2;
        QVERIFY(differ);
        QVERIFY(
            std::equal(record.begin() + 128, record.begin() + 256, view.previousRecord.begin()));
        QVERIFY(std::equal(record.begin() + 384, record.end(), view.previousRecord.begin() + 256));
    }

    void codeBWithoutCodeA()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        CodeRecord record = qlv::test::twoCodeRecord(48, 48);
        record[0] = 0x00;
        view.RedrawWave(false, bytes(record), 756);
        QCOMPARE(canvas.textsOf(0), QStringList{"No IR Data!"});
        QCOMPARE(canvas.trace(0).size(), std::size_t(0));
        QCOMPARE(colours(canvas.trace(1)), QStringList({"red", "blue"}));
        QCOMPARE(endOfTrace(canvas.trace(1)), 4 * 81);
    }

    void emptyValues_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("512 zero bytes") << QByteArray(512, '\0');
        QTest::newRow("null") << QByteArray();
        QTest::newRow("a code cut short")
            << qlv::test::toBytes(qlv::test::oneCodeRecord(48)).left(300);
    }
    void emptyValues()
    {
        QFETCH(QByteArray, stored);
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.RedrawWave(false,
                        std::span(reinterpret_cast<const std::uint8_t*>(stored.constData()),
                                  std::size_t(stored.size())),
                        756);
        QCOMPARE(canvas.textsOf(0), QStringList{"No IR Data!"});
        QCOMPARE(canvas.textsOf(1), QStringList{"No IR Data!"});
        QCOMPARE(view.stripWidth[0], 766u);
        QCOMPARE(view.stripWidth[1], 766u);
        QCOMPARE(view.pictureWidth, 766u);
    }

    void longerValueCountsItsFirst512Bytes()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        const QByteArray stored =
            qlv::test::toBytes(qlv::test::oneCodeRecord(48)) + QByteArray(100, '\x72');
        view.RedrawWave(false,
                        std::span(reinterpret_cast<const std::uint8_t*>(stored.constData()),
                                  std::size_t(stored.size())),
                        756);
        QCOMPARE(endOfTrace(canvas.trace(0)), 4 * 81);
    }

    void emptyTableLeavesThePictureAlone()
    {
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.currentRecord = qlv::test::oneCodeRecord(48);
        QVERIFY(!view.RedrawWave(true, std::nullopt, 756));
        QVERIFY(canvas.ops.empty());
        QVERIFY(view.currentRecord == qlv::test::oneCodeRecord(48));
        QCOMPARE(view.previousRecord, CodeRecord{});
    }

    void clearWaveThenNormalSize_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("Auto Clear") << false;
        QTest::newRow("Rolling") << true;
    }
    void clearWaveThenNormalSize()
    {
        QFETCH(bool, rolling);
        RecordingCanvas canvas;
        WaveView view(canvas);
        view.mode = rolling ? WaveMode::Rolling : WaveMode::AutoClear;
        const CodeRecord record = gapsRecord(10, false);
        view.RedrawWave(true, bytes(qlv::test::oneCodeRecord(48)), 756);
        view.RedrawWave(true, bytes(record), 756);
        canvas.ops.clear();

        view.ClearWave();
        QCOMPARE(canvas.ops.size(), std::size_t(1));
        QCOMPARE(canvas.ops[0].kind, Op::Fill);
        QCOMPARE(
            QList<int>({canvas.ops[0].x1, canvas.ops[0].y1, canvas.ops[0].x2, canvas.ops[0].y2}),
            QList<int>({0, 0, 1050, 100}));
        QCOMPARE(view.pictureWidth, 1050u);
        for (const CodeRecord* r : {&view.currentRecord, &view.previousRecord}) {
            QCOMPARE((*r)[0], 0xFF);
            QCOMPARE((*r)[128], 0xFF);
        }

        canvas.ops.clear();
        view.usPerPixel = 7;
        view.normalSize();
        view.RedrawWave(false, bytes(record), 756);
        QCOMPARE(endOfTrace(canvas.trace(0)), 1000);
        QCOMPARE(canvas.textsOf(1), QStringList{"No IR Data!"});
    }
};

QTEST_APPLESS_MAIN(TestWaveView)
#include "tst_waveview.moc"
