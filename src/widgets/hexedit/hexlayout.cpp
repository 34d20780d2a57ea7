#include "hexlayout.h"

#include <algorithm>

namespace qlv {

int HexLayout::rowCount() const
{
    return std::max<int>(1, int((byteCount + BytesPerRow - 1) / BytesPerRow));
}

int HexLayout::visibleRows() const
{
    return std::max(1, (viewportHeight - rowHeight) / rowHeight);
}

int HexLayout::offsetDigits() const
{
    int digits = 1;
    for (qsizetype last = std::max<qsizetype>(byteCount - 1, 0) / BytesPerRow * BytesPerRow;
         last >= 16; last /= 16)
        ++digits;
    return digits;
}

// Columns: offset "0x..." | hex pane, three characters a byte | character pane.
int HexLayout::hexLeft() const
{
    return (offsetDigits() + 4) * charWidth;
}

int HexLayout::charLeft() const
{
    return hexLeft() + (3 * BytesPerRow + 1) * charWidth;
}

int HexLayout::contentWidth() const
{
    return charLeft() + (BytesPerRow + 1) * charWidth;
}

QRect HexLayout::byteRect(qsizetype position, HexPane pane) const
{
    const int row = int(position / BytesPerRow) - firstRow;
    const int column = int(position % BytesPerRow);
    const int y = (row + 1) * rowHeight;
    if (pane == HexPane::Hex)
        return QRect(hexLeft() + 3 * column * charWidth, y, 2 * charWidth, rowHeight);
    return QRect(charLeft() + column * charWidth, y, charWidth, rowHeight);
}

HexHit HexLayout::hitTest(QPoint point) const
{
    const int row = std::clamp(firstRow + point.y() / rowHeight - 1, 0, rowCount() - 1);
    const qsizetype last = std::max<qsizetype>(byteCount - 1, 0);
    HexHit hit{0, HexPane::Hex, false};
    int column = 0;
    if (point.x() >= charLeft() - charWidth / 2) {
        hit.pane = HexPane::Characters;
        column = std::clamp((point.x() - charLeft()) / charWidth, 0, BytesPerRow - 1);
    } else {
        const int x = std::max(point.x() - hexLeft(), 0);
        column = std::clamp(x / (3 * charWidth), 0, BytesPerRow - 1);
        hit.lowNibble = x % (3 * charWidth) >= charWidth && point.x() >= hexLeft();
    }
    hit.position = std::min<qsizetype>(qsizetype(row) * BytesPerRow + column, last);
    if (hit.position != qsizetype(row) * BytesPerRow + column)
        hit.lowNibble = false;
    return hit;
}

int HexLayout::firstRowShowing(qsizetype caret) const
{
    const int row = int(caret / BytesPerRow);
    if (row < firstRow)
        return row;
    if (row >= firstRow + visibleRows())
        return row - visibleRows() + 1;
    return firstRow;
}

} // namespace qlv
