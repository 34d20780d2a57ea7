#include "keycelldelegate.h"

#include "keygrid.h"
#include "keygridmodel.h"
#include "wavebutton.h"

#include <QPainter>

namespace qlv {

KeyCellDelegate::KeyCellDelegate(KeyGrid& grid)
    : QAbstractItemDelegate(&grid)
    , m_grid(grid)
{
}

QColor KeyCellDelegate::scrollBarColour(const QPalette& palette)
{
    const QColor mid = palette.color(QPalette::Mid);
    const QColor base = palette.color(QPalette::Base);
    return QColor((mid.red() + base.red()) / 2, (mid.green() + base.green()) / 2,
                  (mid.blue() + base.blue()) / 2);
}

void KeyCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const KeyTable& keys = m_grid.keys();
    const int row = index.row();
    const int column = index.column();
    if (row >= keys.recordCount())
        return;
    const KeyRow& key = keys.row(row);
    const bool selected = m_grid.selection().contains(row);
    const bool current = row == keys.currentIndex();
    const QPalette& palette = option.palette;
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;

    QColor background = palette.color(group, QPalette::Base);
    QColor text = palette.color(group, QPalette::Text);
    if (selected) {
        background = scrollBarColour(palette);
    } else if (current) {
        background = palette.color(group, QPalette::Highlight);
        text = palette.color(group, QPalette::HighlightedText);
    }
    if (textOf(key.carry).isEmpty())
        text = noCodeColour();

    painter->fillRect(option.rect, background);
    painter->setPen(text);
    const int alignment = column == KeyGridModel::IdColumn ? Qt::AlignRight | Qt::AlignVCenter
                                                           : Qt::AlignLeft | Qt::AlignVCenter;
    painter->drawText(option.rect.adjusted(2, 0, -2, 0), alignment | Qt::TextSingleLine,
                      KeyGridModel::cellText(key, column));
    if (column == KeyGridModel::IdColumn) {
        painter->drawImage(option.rect.topLeft(), waveButtonImage(WaveButton::Plain));
        if (current)
            painter->drawImage(option.rect.topLeft(), waveButtonImage(WaveButton::Current));
    }
}

QSize KeyCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data().toString();
    return QSize(option.fontMetrics.horizontalAdvance(text) + 4,
                 std::max(option.fontMetrics.height() + 4, WaveButtonHeight + 2));
}

} // namespace qlv
