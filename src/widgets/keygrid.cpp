#include "keygrid.h"

#include "keycelldelegate.h"

#include <project/keyrow.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>

namespace qlv {

namespace {

bool holdsLocalFiles(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

IndicatorHeader::IndicatorHeader(KeyGrid& grid)
    : QHeaderView(Qt::Vertical, &grid)
    , m_grid(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    setDefaultSectionSize(KeyGrid::RowHeight);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedWidth(KeyGrid::IndicatorWidth);
}

QSize IndicatorHeader::sizeHint() const
{
    // The base class measures up to 200 sections' contents again after every reset; the
    // sections here are all alike and the width is fixed.
    const int height = count() > 0 ? sectionSizeFromContents(0).height() : 0;
    return QSize(KeyGrid::IndicatorWidth, height);
}

void IndicatorHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    qDrawShadePanel(painter, rect, palette(), false, 1, &palette().brush(QPalette::Button));
    if (logicalIndex != m_grid.keys().currentIndex())
        return;
    // The current row's mark: a small black triangle pointing at the row.
    const QPoint c = rect.center();
    const QPoint triangle[3] = {{c.x() - 2, c.y() - 4}, {c.x() + 2, c.y()}, {c.x() - 2, c.y() + 4}};
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawPolygon(triangle, 3);
    painter->restore();
}

KeyGrid::KeyGrid(KeyTable& keys, RowSelection& selection, QWidget* parent)
    : QTableView(parent)
    , m_keys(keys)
    , m_selection(selection)
    , m_model(new KeyGridModel(keys, this))
    , m_indicator(new IndicatorHeader(*this))
{
    setObjectName(QStringLiteral("DBGridEh1"));
    setVerticalHeader(m_indicator);
    setModel(m_model);
    setItemDelegate(new KeyCellDelegate(*this));

    // The selection is the grid's own list of rows, not the view's item selection.
    setSelectionMode(QAbstractItemView::NoSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setDragEnabled(false);
    setAcceptDrops(false);
    // Files are dropped on rows: the viewport takes them, in its own coordinates.
    viewport()->setAcceptDrops(true);
    setWordWrap(false);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionsClickable(false);
    titles->setSectionsMovable(false);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setMinimumSectionSize(1);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_indicator->viewport()->installEventFilter(this);

    connect(&keys, &KeyTable::currentRowChanged, this, [this] { followCurrentRow(); });
    connect(&keys, &KeyTable::controlsEnabledChanged, this, &KeyGrid::controlsEnabledChanged);
    connect(&keys, &KeyTable::tableReset, this, &KeyGrid::tableReset);
    connect(&selection, &RowSelection::changed, viewport(), [this] { viewport()->update(); });
    // Every step of the scroll bar clears the selection; letting go of the thumb does not.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderNoAction)
            m_selection.clear();
    });
    setColumnWidths();
    followCurrentRow();
}

void KeyGrid::setColumnWidths()
{
    // A data grid makes a text column as wide as its size in digits, and at least its title.
    const QFontMetrics metrics(font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    auto widthFor = [&](int column, int characters) {
        const int title = metrics.horizontalAdvance(KeyGridModel::fieldName(column)) + 4;
        return std::max(characters * digit + 4, title);
    };
    setColumnWidth(KeyGridModel::IdColumn, IdColumnWidth);
    setColumnWidth(KeyGridModel::FunctionColumn,
                   widthFor(KeyGridModel::FunctionColumn, KeyFunctionColumn.size));
    setColumnWidth(KeyGridModel::FormatColumn,
                   widthFor(KeyGridModel::FormatColumn, KeyFormatColumn.size));
    setColumnWidth(KeyGridModel::CarryColumn,
                   widthFor(KeyGridModel::CarryColumn, KeyCarryColumn.size));
    setColumnWidth(KeyGridModel::IrDataColumn, widthFor(KeyGridModel::IrDataColumn, 10));
    setColumnWidth(KeyGridModel::RemarkColumn,
                   widthFor(KeyGridModel::RemarkColumn, KeyRemarkColumn.size));
}

QString KeyGrid::ColumnFieldAt(int x) const
{
    int left = IndicatorWidth;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const int width = columnWidth(i);
        if (left < x && x < left + width)
            return KeyGridModel::fieldName(i);
        left += width;
    }
    return {};
}

void KeyGrid::DBGridEh1MouseDown(Qt::MouseButton button, bool doubleClick, int x)
{
    if (button != Qt::LeftButton)
        return;
    if (doubleClick) {
        const QString field = ColumnFieldAt(x);
        const bool opensDialog = field == QLatin1String(KeyFunctionColumn.name) ||
                                 field == QLatin1String(KeyIrDataField) ||
                                 field == QLatin1String(KeyRemarkColumn.name);
        // The dialog takes the release of this press.
        if (opensDialog)
            m_leftHeld = false;
        if (field == QLatin1String(KeyFunctionColumn.name))
            emit functionEditRequested();
        else if (field == QLatin1String(KeyIrDataField))
            emit irDataEditRequested();
        else if (field == QLatin1String(KeyRemarkColumn.name))
            emit remarkEditRequested();
        return;
    }
    if (x > IndicatorWidth && x <= WaveButtonRight)
        emit holdToSendRequested();
    else if (x > WaveButtonRight && x <= IndicatorWidth + columnWidth(KeyGridModel::IdColumn))
        emit waveRedrawRequested();
}

QPoint KeyGrid::clientPos(const QWidget* part, QPoint pos) const
{
    return part->mapTo(this, pos) - contentsRect().topLeft();
}

int KeyGrid::rowUnder(int viewportY, bool clampToView) const
{
    if (m_model->rowCount() == 0)
        return -1;
    if (clampToView) {
        // Above or below the rows while dragging: one row beyond the visible ones.
        if (viewportY < 0)
            return std::max(rowAt(0) - 1, 0);
        if (viewportY >= viewport()->height()) {
            const int bottom = rowAt(viewport()->height() - 1);
            return bottom < 0 ? m_model->rowCount() - 1
                              : std::min(bottom + 1, m_model->rowCount() - 1);
        }
    }
    return rowAt(viewportY);
}

void KeyGrid::press(const QWidget* part, QMouseEvent* event, bool doubleClick)
{
    event->accept();
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint inViewport =
        viewport()->mapFrom(this, part->mapTo(this, event->position().toPoint()));
    const int row = rowUnder(inViewport.y(), false);
    if (row < 0)
        return;
    m_leftHeld = true;
    const int previous = m_keys.currentIndex();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers.testFlag(Qt::ControlModifier))
        m_selection.toggleRow(row);
    else if (modifiers.testFlag(Qt::ShiftModifier))
        m_selection.selectRange(previous, row);
    else {
        m_selection.clear();
        m_selection.selectRow(row);
    }
    m_dragAnchor = row;
    m_selectionAtPress = m_selection.rows();

    const int column = std::max(columnAt(inViewport.x()), 0);
    const QModelIndex target = m_model->index(row, column);
    if (target != currentIndex()) {
        const QScopedValueRollback pointer(m_pointerMove, true);
        setCurrentIndex(target);
    }
    DBGridEh1MouseDown(event->button(), doubleClick,
                       clientPos(part, event->position().toPoint()).x());
}

void KeyGrid::drag(const QWidget* part, QMouseEvent* event)
{
    event->accept();
    if (!m_leftHeld || !event->buttons().testFlag(Qt::LeftButton) || m_dragAnchor < 0)
        return;
    const QPoint inViewport =
        viewport()->mapFrom(this, part->mapTo(this, event->position().toPoint()));
    const int row = rowUnder(inViewport.y(), true);
    if (row < 0 || row == m_keys.currentIndex())
        return;
    // The rows passed over join what was selected at the press; dragging back gives them up.
    std::vector<int> rows = m_selectionAtPress;
    for (int r = std::min(m_dragAnchor, row); r <= std::max(m_dragAnchor, row); ++r)
        rows.push_back(r);
    m_selection.setRows(std::move(rows));
    const QScopedValueRollback pointer(m_pointerMove, true);
    m_keys.setRecNo(row + 1);
}

void KeyGrid::mousePressEvent(QMouseEvent* event)
{
    press(viewport(), event, false);
}

void KeyGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    press(viewport(), event, true);
}

void KeyGrid::mouseMoveEvent(QMouseEvent* event)
{
    drag(viewport(), event);
}

void KeyGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = false;
        m_dragAnchor = -1;
    }
}

bool KeyGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_indicator->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            press(m_indicator->viewport(), static_cast<QMouseEvent*>(event), false);
            return true;
        case QEvent::MouseButtonDblClick:
            press(m_indicator->viewport(), static_cast<QMouseEvent*>(event), true);
            return true;
        case QEvent::MouseMove:
            drag(m_indicator->viewport(), static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonRelease:
            mouseReleaseEvent(static_cast<QMouseEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void KeyGrid::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() == 0) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    // The wheel moves the current row, as the keyboard does.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches == 0 || m_keys.recordCount() == 0)
        return;
    const int target =
        std::clamp(m_keys.currentIndex() - notches * QApplication::wheelScrollLines(), 0,
                   m_keys.recordCount() - 1);
    m_keys.setRecNo(target + 1);
}

void KeyGrid::focusOutEvent(QFocusEvent* event)
{
    m_leftHeld = false;
    QTableView::focusOutEvent(event);
}

void KeyGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_following && current.isValid() && current.row() != m_keys.currentIndex())
        m_keys.setRecNo(current.row() + 1);
}

QModelIndex KeyGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    // Ctrl+Home and Ctrl+End go to the first and last slot and stay in the column.
    const bool rowsOnly = (action == MoveHome || action == MoveEnd) &&
                          modifiers.testFlag(Qt::ControlModifier) && currentIndex().isValid();
    return rowsOnly && moved.isValid() ? m_model->index(moved.row(), currentIndex().column())
                                       : moved;
}

void KeyGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QScrollBar* bar = horizontalScrollBar();
    const int kept = bar->value();
    {
        // The base class scrolls both ways; its sideways move is taken back unseen.
        const QSignalBlocker quiet(bar);
        QTableView::scrollTo(index, hint);
        bar->setValue(kept);
    }
    if (!index.isValid())
        return;
    const bool newColumn = index.column() != m_shownColumn;
    m_shownColumn = index.column();
    bar->setValue(horizontalValueFor(index.column(), kept, newColumn));
}

int KeyGrid::horizontalValueFor(int column, int kept, bool newColumn) const
{
    const int start = horizontalHeader()->sectionPosition(column);
    const int width = columnWidth(column);
    const int view = viewport()->width();
    const int left = start - kept;
    const int right = left + width;
    // "Remark" is wider than most views: seeing part of it is seeing it.
    const bool partlyInView = right > 0 && left < view;
    if (partlyInView && (!newColumn || m_pointerMove || width > view))
        return kept;
    if (left < 0 || width > view)
        return start;
    if (right > view)
        return start + width - view;
    return kept;
}

void KeyGrid::followCurrentRow()
{
    if (m_keys.controlsDisabled())
        return;
    if (m_keys.recordCount() > 0) {
        const int column = std::max(currentIndex().column(), 0);
        const QModelIndex target = m_model->index(m_keys.currentIndex(), column);
        if (target != currentIndex()) {
            m_following = true;
            setCurrentIndex(target);
            m_following = false;
        }
        scrollTo(target);
    }
    // Only the rows that lose and gain the current mark are drawn again: a row change
    // repaints two rows, not the whole grid.
    const int current = m_keys.recordCount() > 0 ? m_keys.currentIndex() : -1;
    for (int row : {m_markedRow, current})
        updateRow(row);
    m_markedRow = current;
}

void KeyGrid::updateRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int top = rowViewportPosition(row);
    const int height = rowHeight(row);
    viewport()->update(0, top, viewport()->width(), height);
    m_indicator->viewport()->update(0, top, m_indicator->viewport()->width(), height);
}

void KeyGrid::controlsEnabledChanged(bool enabled)
{
    viewport()->setUpdatesEnabled(enabled);
    if (enabled)
        followCurrentRow();
}

void KeyGrid::tableReset()
{
    m_selection.clear();
    m_leftHeld = false;
    setColumnWidths();
    followCurrentRow();
}

void KeyGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (holdsLocalFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void KeyGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (holdsLocalFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void KeyGrid::dropEvent(QDropEvent* event)
{
    if (!holdsLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(event->mimeData()->urls(), rowAt(event->position().toPoint().y()));
}

} // namespace qlv
