#include "waveview.h"

#include <algorithm>
#include <cstdio>

namespace qlv {

using namespace wave;

std::string decimalText(long double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15Lg", value);
    return text;
}

WaveView::WaveView(WaveCanvas& canvas, NumberText numberText)
    : m_canvas(canvas)
    , m_numberText(std::move(numberText))
{
}

namespace {

// The view takes a short value as wholly empty rather than padding it.
CodeRecord waveRecordOf(std::span<const std::uint8_t> stored)
{
    CodeRecord record;
    if (stored.size() < RecordSize)
        record.fill(0xFF);
    else
        std::copy_n(stored.begin(), RecordSize, record.begin());
    return record;
}

} // namespace

bool WaveView::RedrawWave(bool shiftPrevious,
                          std::optional<std::span<const std::uint8_t>> currentIrData,
                          int scrollBoxWidth)
{
    if (!currentIrData)
        return false;
    if (shiftPrevious)
        previousRecord = currentRecord;
    currentRecord = waveRecordOf(*currentIrData);

    // Strip 1 draws a moved code B from a copy marked two-code, so that its sequence is read
    // from its own 256 entries whatever the older bytes 128-255 of previousRecord hold.
    CodeRecord strip1 = previousRecord;
    if (currentRecord[128] == CodeMarker) {
        std::copy_n(currentRecord.begin() + 128, 128, previousRecord.begin());
        std::copy_n(currentRecord.begin() + 384, 128, previousRecord.begin() + 256);
        traceColour = {Red, Red};
        strip1 = previousRecord;
        strip1[128] = CodeMarker;
    } else {
        if (mode == WaveMode::AutoClear)
            previousRecord[0] = 0xFF;
        traceColour = {Red, Grey};
        strip1 = previousRecord;
    }
    m_strip1 = strip1;
    m_boxWidth = scrollBoxWidth;
    m_drawn = true;
    Repaint();
    return true;
}

void WaveView::Repaint()
{
    if (!m_drawn) {
        m_canvas.fillRect(0, 0, PictureWidth, PictureHeight, Background);
        return;
    }
    drawStrip(1, m_strip1, m_boxWidth);
    drawStrip(0, currentRecord, m_boxWidth);
    pictureWidth = std::max(stripWidth[0], stripWidth[1]);
}

void WaveView::ClearWave()
{
    for (CodeRecord* record : {&currentRecord, &previousRecord}) {
        (*record)[0] = 0xFF;
        (*record)[128] = 0xFF;
    }
    m_drawn = false;
    m_canvas.fillRect(0, 0, int(pictureWidth), PictureHeight, Background);
}

void WaveView::zoomIn()
{
    usPerPixel = usPerPixel > 5 ? usPerPixel / 2 : 1;
}

void WaveView::zoomOut()
{
    if (usPerPixel == 1)
        usPerPixel = 5;
    else if (usPerPixel < 640)
        usPerPixel *= 2;
}

void WaveView::normalSize()
{
    usPerPixel = 60;
}

bool WaveView::showTimeLabel(std::uint64_t us, std::uint64_t pixels) const
{
    if (!showTime)
        return false;
    if (us >= 1000)
        return pixels >= 20;
    if (us >= 100)
        return pixels >= 15;
    if (us >= 10)
        return pixels >= 10;
    return pixels >= 5;
}

std::string WaveView::rulerLabel(int p) const
{
    const long double ms = static_cast<long double>(p) * usPerPixel * 0.001L;
    return m_numberText(ms) + "ms";
}

void WaveView::drawText(int x, int y, const std::string& text)
{
    // Labels are short: no glyph is wider than two lines are high.
    if (!m_canvas.shows(x, x + 2 * m_canvas.textHeight() * int(text.size())))
        return;
    // Text is opaque on the background, as the labels sit on the trace.
    m_canvas.fillRect(x, y, m_canvas.textWidth(text), m_canvas.textHeight(), Background);
    m_canvas.text(x, y, text);
}

void WaveView::drawStrip(int strip, const CodeRecord& record, int scrollBoxWidth)
{
    const int top = StripHeight * strip;
    const std::uint32_t boxWidth = std::uint32_t(std::max(scrollBoxWidth, 0));
    m_canvas.fillRect(0, top, PictureWidth, StripHeight, Background);

    if (record[0] != CodeMarker) {
        drawText(NoDataX, top + NoDataY, NoData);
        stripWidth[std::size_t(strip)] = boxWidth + 10;
        return;
    }

    const WaveColour first = traceColour[std::size_t(strip)];
    const WaveColour repeat = first == Red ? Blue : first;
    const std::uint64_t scale = std::uint64_t(std::max(usPerPixel, 1));
    std::uint64_t x = 0;
    auto pixels = [scale](std::uint64_t us) {
        return (us + scale / 2) / scale;
    };

    for (const CodeStep& step : codeSteps(record, Code::A)) {
        // Steps past the picture's right edge are never seen; only their length counts.
        if (x >= std::uint64_t(PictureWidth))
            break;
        const WaveColour pen = step.part == StepPart::First ? first : repeat;
        // One level for us microseconds from the pixel from, its label, and the edge to next.
        auto level = [&](int from, std::uint64_t us, int y, int next, int labelY) {
            const std::uint64_t width = pixels(us);
            if (showTimeLabel(us, width))
                drawText(from + 1, top + labelY, std::to_string(us));
            const int to = int(std::min<std::uint64_t>(x + width, PictureWidth + 1));
            m_canvas.line(from, top + y, to, top + y, pen, 1);
            m_canvas.line(to, top + y, to, top + next, pen, 1);
            x += width;
            return to;
        };
        const int gapEnd = level(int(x), step.gapUs, LowY, HighY, GapLabelY);
        if (x >= std::uint64_t(PictureWidth))
            break;
        level(gapEnd, step.burstUs, HighY, LowY, BurstLabelY);
    }
    if (x < std::uint64_t(PictureWidth))
        m_canvas.line(int(x), top + LowY, PictureWidth, top + LowY, repeat, 1);

    std::uint64_t width = x + 50;
    if (boxWidth > width)
        width = boxWidth + 10;
    else if (width > std::uint64_t(PictureWidth))
        width = PictureWidth;
    stripWidth[std::size_t(strip)] = std::uint32_t(width);

    if (m_rulerScale != usPerPixel) {
        m_rulerLabels.clear();
        for (int p = TickSpacing; p < PictureWidth; p += TickSpacing)
            m_rulerLabels.push_back(rulerLabel(p));
        m_rulerScale = usPerPixel;
    }
    m_canvas.line(0, top + RulerY, PictureWidth, top + RulerY, Yellow, RulerPenWidth);
    for (int p = TickSpacing, i = 0; p < PictureWidth; p += TickSpacing, ++i) {
        m_canvas.line(p, top + RulerY, p, top + TickTopY, Yellow, RulerPenWidth);
        drawText(p - 5, top + RulerLabelY, m_rulerLabels[std::size_t(i)]);
    }
}

} // namespace qlv
