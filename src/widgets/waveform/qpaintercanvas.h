// The waveform's canvas on a QPainter: what the view draws lands in an off-screen picture.
#pragma once

#include <irdata/waveview.h>
#include <widgets/fonts.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <string>
#include <unordered_map>

namespace qlv {

QColor toQColor(WaveColour colour);

class QPainterWaveCanvas : public WaveCanvas {
public:
    // Draws on image, which must outlive the canvas, between begin() and end().
    explicit QPainterWaveCanvas(QImage& image, const QFont& font = waveFont());

    void begin();
    void end();
    // From the next begin(): picture column x lands on the image's column x - originX, and
    // nothing is painted outside columns [clipLeft, clipRight) of the picture.
    void setOrigin(int originX) { m_originX = originX; }
    void setClip(int clipLeft, int clipRight)
    {
        m_clipLeft = clipLeft;
        m_clipRight = clipRight;
    }

    // begin() and end() for a scope.
    class Session {
    public:
        explicit Session(QPainterWaveCanvas& canvas)
            : m_canvas(canvas)
        {
            m_canvas.begin();
        }
        ~Session() { m_canvas.end(); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

    private:
        QPainterWaveCanvas& m_canvas;
    };

    void fillRect(int x, int y, int width, int height, WaveColour colour) override;
    // Lines along an axis cover both end points and are penWidth thick about their middle.
    void line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth) override;
    void text(int x, int y, std::string_view text) override;
    int textWidth(std::string_view text) override;
    int textHeight() override;

private:
    // Each label is laid out and rendered once; a redraw only blends the rendered pixels.
    struct RenderedText {
        QImage image;
        int width = 0;
    };
    const RenderedText& rendered(std::string_view text);
    // Fills rect (picture coordinates) straight into the image; false when its format is
    // not one this knows.
    bool fillDirectly(QRect rect, WaveColour colour);

    QImage& m_image;
    QFont m_font;
    QFontMetrics m_metrics;
    int m_textHeight;
    QPainter m_painter;
    std::unordered_map<std::string, RenderedText> m_texts;
    std::unordered_map<std::string, int> m_widths;
    int m_originX = 0;
    int m_clipLeft = 0;
    int m_clipRight = 0; // no clip while equal to m_clipLeft
};

} // namespace qlv
