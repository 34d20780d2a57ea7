#include "windowcanvas.h"

#include <algorithm>
#include <cstdlib>

namespace qlv {

void WindowCanvas::fillRect(int x, int y, int width, int height, WaveColour colour)
{
    const int from = std::max(x, m_left);
    const int to = std::min(x + width, m_right);
    if (from < to)
        m_target->fillRect(from, y, to - from, height, colour);
}

void WindowCanvas::line(int x1, int y1, int x2, int y2, WaveColour colour, int penWidth)
{
    if (y1 == y2) {
        // A horizontal line covers x1..x2 inclusive.
        const int from = std::max(std::min(x1, x2), m_left);
        const int to = std::min(std::max(x1, x2), m_right - 1);
        if (from <= to)
            m_target->line(from, y1, to, y2, colour, penWidth);
        return;
    }
    // Vertical or slanted: the pen reaches penWidth / 2 either side of the end points.
    const int reach = penWidth / 2 + 1;
    if (std::max(x1, x2) + reach < m_left || std::min(x1, x2) - reach >= m_right)
        return;
    m_target->line(x1, y1, x2, y2, colour, penWidth);
}

void WindowCanvas::text(int x, int y, std::string_view text)
{
    if (x >= m_right || x + m_target->textWidth(text) <= m_left)
        return;
    m_target->text(x, y, text);
}

} // namespace qlv
