// Where the hex editor draws what: the offset column, the ruler, the hex pane at three
// characters a byte and the character pane, and which byte a point falls on. A value, apart
// from the widget, so that its arithmetic is tested on its own.
#pragma once

#include <QPoint>
#include <QRect>
#include <QtGlobal>

namespace qlv {

enum class HexPane { Hex, Characters };

struct HexHit {
    qsizetype position;
    HexPane pane;
    bool lowNibble;
};

class HexLayout {
public:
    static constexpr int BytesPerRow = 32;

    qsizetype byteCount = 0;
    int charWidth = 8;
    int rowHeight = 16;
    int firstRow = 0;        // the first row shown, below the ruler
    int viewportHeight = 16; // the ruler's row included

    int rowCount() const;
    // Whole rows below the ruler; at least one.
    int visibleRows() const;
    // Hex digits of the last row's offset.
    int offsetDigits() const;
    int hexLeft() const;
    int charLeft() const;
    int contentWidth() const;
    QRect byteRect(qsizetype position, HexPane pane) const;
    // The byte under point; away from any byte, the nearest one in the pane it falls in.
    HexHit hitTest(QPoint point) const;
    // The first row to show so that caret's row is in view.
    int firstRowShowing(qsizetype caret) const;
};

} // namespace qlv
