#include "qpaintercanvas.h"

#include <algorithm>

namespace qlv {

namespace {

// The ruler labels of a few scales and the duration labels of a few codes.
constexpr std::size_t MaxRenderedTexts = 8192;

} // namespace

QColor toQColor(WaveColour colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

QPainterWaveCanvas::QPainterWaveCanvas(QImage& image, const QFont& font)
    : m_image(image)
    , m_font(font)
    , m_metrics(font)
    , m_textHeight(m_metrics.height())
{
}

void QPainterWaveCanvas::begin()
{
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    if (m_originX != 0)
        m_painter.translate(-m_originX, 0);
    if (m_clipRight > m_clipLeft)
        m_painter.setClipRect(QRect(m_clipLeft, 0, m_clipRight - m_clipLeft, m_image.height()));
}

void QPainterWaveCanvas::end()
{
    m_painter.end();
}

void QPainterWaveCanvas::fillRect(int x, int y, int width, int height, WaveColour colour)
{
    m_painter.fillRect(QRect(x, y, width, height), toQColor(colour));
}

bool QPainterWaveCanvas::fillDirectly(QRect rect, WaveColour colour)
{
    // A pulse train is a thousand short solid bars a redraw: written into the 32-bit pixels
    // they are a few stores each, where the paint engine's rectangle fill costs a thousand
    // instructions.
    if (m_image.format() != QImage::Format_RGB32 && m_image.format() != QImage::Format_ARGB32 &&
        m_image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (m_clipRight > m_clipLeft)
        rect &= QRect(m_clipLeft, 0, m_clipRight - m_clipLeft, m_image.height());
    rect.translate(-m_originX, 0);
    rect &= m_image.rect();
    if (rect.isEmpty())
        return true;
    const QRgb pixel = qRgb(colour.r, colour.g, colour.b);
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + rect.left(), row + rect.right() + 1, pixel);
    }
    return true;
}

void QPainterWaveCanvas::line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth)
{
    // A thick line covers penWidth rows (or columns) up to its own: 34 and 35 for 2 at y 35.
    if (y1 == y2) {
        const int top = y1 - penWidth / 2;
        const QRect bar(std::min(x1, x2), top, std::abs(x2 - x1) + 1, penWidth);
        if (!fillDirectly(bar, colour))
            m_painter.fillRect(bar, toQColor(colour));
    } else if (x1 == x2) {
        const int left = x1 - penWidth / 2;
        const QRect bar(left, std::min(y1, y2), penWidth, std::abs(y2 - y1) + 1);
        if (!fillDirectly(bar, colour))
            m_painter.fillRect(bar, toQColor(colour));
    } else {
        m_painter.setPen(QPen(toQColor(colour), penWidth));
        m_painter.drawLine(x1, y1, x2, y2);
    }
}

const QPainterWaveCanvas::RenderedText& QPainterWaveCanvas::rendered(std::string_view text)
{
    const std::string key(text);
    auto found = m_texts.find(key);
    if (found != m_texts.end())
        return found->second;
    if (m_texts.size() >= MaxRenderedTexts)
        m_texts.clear();

    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    RenderedText entry;
    entry.width = m_metrics.horizontalAdvance(string);
    entry.image = QImage(std::max(entry.width, 1), std::max(m_metrics.height(), 1),
                         QImage::Format_ARGB32_Premultiplied);
    entry.image.fill(Qt::transparent);
    QPainter painter(&entry.image);
    painter.setFont(m_font);
    painter.setPen(toQColor(wave::TextColour));
    painter.drawText(0, m_metrics.ascent(), string);
    painter.end();
    return m_texts.emplace(key, std::move(entry)).first->second;
}

void QPainterWaveCanvas::text(int x, int y, std::string_view text)
{
    m_painter.drawImage(x, y, rendered(text).image);
}

int QPainterWaveCanvas::textWidth(std::string_view text)
{
    // Measured without rendering: most labels of a redraw lie outside the painted part.
    const std::string key(text);
    auto found = m_widths.find(key);
    if (found != m_widths.end())
        return found->second;
    if (m_widths.size() >= MaxRenderedTexts)
        m_widths.clear();
    const int width =
        m_metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
    return m_widths.emplace(key, width).first->second;
}

int QPainterWaveCanvas::textHeight()
{
    return m_textHeight;
}

} // namespace qlv
