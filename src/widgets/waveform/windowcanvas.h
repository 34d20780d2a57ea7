// A canvas that passes on only what touches the columns [left, right) of the picture, cut to
// them, so that a redraw costs what is visible rather than the whole 20480-pixel strip. The
// pixels inside the window come out as a full drawing would leave them; outside, anything.
#pragma once

#include <irdata/waveview.h>

namespace qlv {

class WindowCanvas : public WaveCanvas {
public:
    WindowCanvas(WaveCanvas& target, int left, int right)
        : m_target(&target)
        , m_left(left)
        , m_right(right)
    {
    }
    void setWindow(WaveCanvas& target, int left, int right)
    {
        m_target = &target;
        m_left = left;
        m_right = right;
    }
    int left() const { return m_left; }
    int right() const { return m_right; }

    void fillRect(int x, int y, int width, int height, WaveColour colour) override;
    void line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth) override;
    // Passed on whole when any of its box is inside; the target clips it.
    void text(int x, int y, std::string_view text) override;
    int textWidth(std::string_view text) override { return m_target->textWidth(text); }
    int textHeight() override { return m_target->textHeight(); }
    bool shows(int left, int right) const override
    {
        return right > m_left && left < m_right && m_target->shows(left, right);
    }

private:
    WaveCanvas* m_target;
    int m_left;
    int m_right;
};

} // namespace qlv
