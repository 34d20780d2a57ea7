// Draws the key grid's cells: slots without a code in red, selected rows on the scroll-bar
// colour, and the wave buttons in the "ID" column.
#pragma once

#include <QAbstractItemDelegate>

namespace qlv {

class KeyGrid;

class KeyCellDelegate : public QAbstractItemDelegate {
    Q_OBJECT

public:
    explicit KeyCellDelegate(KeyGrid& grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The background of selected rows. The desktop offers no scroll-bar colour of its own, so
    // it is mixed from the palette the way scroll-bar grooves look in it.
    static QColor scrollBarColour(const QPalette& palette);
    static QColor noCodeColour() { return QColor(255, 0, 0); }

private:
    KeyGrid& m_grid;
};

} // namespace qlv
