// The pulse diagram of the current key's record: two strips of 50 pixels on a millisecond
// ruler, drawn through a small canvas so that the geometry can be checked without pixels.
#pragma once

#include "coderecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlv {

struct WaveColour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const WaveColour&) const = default;
};

namespace wave {

inline constexpr WaveColour Background{166, 202, 240};
inline constexpr WaveColour Red{255, 0, 0};
inline constexpr WaveColour Blue{0, 0, 255};
inline constexpr WaveColour Grey{128, 128, 128};
inline constexpr WaveColour Yellow{255, 255, 0};
inline constexpr WaveColour TextColour{0, 0, 0};

inline constexpr int PictureWidth = 20480;
inline constexpr int StripHeight = 50;
inline constexpr int PictureHeight = 2 * StripHeight;

// y within a strip, 0 at its top.
inline constexpr int HighY = 5;
inline constexpr int BurstLabelY = 8;
inline constexpr int GapLabelY = 15;
inline constexpr int LowY = 30;
inline constexpr int TickTopY = 32;
inline constexpr int RulerY = 35;
inline constexpr int RulerLabelY = 37;
inline constexpr int RulerPenWidth = 2;
inline constexpr int TickSpacing = 50;
inline constexpr int NoDataX = 8;
inline constexpr int NoDataY = 8;
inline constexpr const char* NoData = "No IR Data!";

} // namespace wave

// What the drawing needs of a surface. Coordinates are pixels of the whole picture
// (strip 1 starts at y 50).
class WaveCanvas {
public:
    virtual ~WaveCanvas() = default;
    virtual void fillRect(int x, int y, int width, int height, WaveColour colour) = 0;
    virtual void line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth) = 0;
    // Black text with its top-left corner at (x, y); the drawing clears the box behind it.
    virtual void text(int x, int y, std::string_view text) = 0;
    virtual int textWidth(std::string_view text) = 0;
    virtual int textHeight() = 0;
    // False when nothing drawn in columns [left, right) can be seen, so it may be left out.
    virtual bool shows(int left, int right) const
    {
        (void)left;
        (void)right;
        return true;
    }
};

// A ruler value in milliseconds as the user writes numbers; irdata knows no locale.
using NumberText = std::function<std::string(long double)>;
// Shortest decimal text with at most 15 significant digits and a point.
std::string decimalText(long double value);

enum class WaveMode { Rolling, AutoClear };

class WaveView {
public:
    explicit WaveView(WaveCanvas& canvas, NumberText numberText = decimalText);

    CodeRecord currentRecord{};
    CodeRecord previousRecord{};
    std::int32_t usPerPixel = 60;
    std::array<WaveColour, 2> traceColour{wave::Red, wave::Grey};
    std::array<std::uint32_t, 2> stripWidth{0, 0};
    WaveMode mode = WaveMode::AutoClear;
    bool showTime = false;
    // The width of the visible picture and so the scroll range; the picture starts full width.
    std::uint32_t pictureWidth = wave::PictureWidth;

    // currentIrData is the current row's stored "IR Data" (empty for a null value), or nothing
    // when the table has no rows. Returns false when nothing was drawn.
    bool RedrawWave(bool shiftPrevious, std::optional<std::span<const std::uint8_t>> currentIrData,
                    int scrollBoxWidth);
    void ClearWave();
    // Draws again what the last RedrawWave or ClearWave left (the background before either),
    // so that a canvas showing only part of the picture can fill in another part.
    void Repaint();

    void zoomIn();
    void zoomOut();
    void normalSize();

    bool showTimeLabel(std::uint64_t us, std::uint64_t pixels) const;
    // The ruler label of tick position p, "3ms" at 60 us per pixel.
    std::string rulerLabel(int p) const;

private:
    void drawStrip(int strip, const CodeRecord& record, int scrollBoxWidth);
    void drawText(int x, int y, const std::string& text);

    WaveCanvas& m_canvas;
    NumberText m_numberText;
    // The labels of the scale last drawn; the ruler is the same at every redraw of a scale.
    std::vector<std::string> m_rulerLabels;
    std::int32_t m_rulerScale = 0;
    // What Repaint draws again.
    bool m_drawn = false;
    CodeRecord m_strip1{};
    int m_boxWidth = 0;
};

} // namespace qlv
