// The key grid DBGridEh1: the 512 slots of the open project with their wave buttons, a
// multi-row selection built with the mouse, and the press dispatch by horizontal position.
#pragma once

#include "keygridmodel.h"
#include <rows/rowselection.h>

#include <QHeaderView>
#include <QTableView>
#include <QUrl>

#include <vector>

namespace qlv {

class KeyGrid;

// The row indicator at the left of the grid, marking the current row.
class IndicatorHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit IndicatorHeader(KeyGrid& grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    KeyGrid& m_grid;
};

class KeyGrid : public QTableView {
    Q_OBJECT

public:
    // Client positions: the first data column starts after the indicator.
    static constexpr int IndicatorWidth = 12;
    static constexpr int IdColumnWidth = 50;
    static constexpr int WaveButtonRight = 33;
    static constexpr int RowHeight = 18;

    KeyGrid(KeyTable& keys, RowSelection& selection, QWidget* parent = nullptr);

    KeyTable& keys() const { return m_keys; }
    RowSelection& selection() const { return m_selection; }
    KeyGridModel& keyModel() const { return *m_model; }

    // The field name of the column under client position x, or the empty text. Bounds are
    // strict and widths are summed from the first column, whatever is scrolled into view.
    QString ColumnFieldAt(int x) const;
    // The press hook, run after the press has made its row current and set the selection.
    void DBGridEh1MouseDown(Qt::MouseButton button, bool doubleClick, int x);

    // The column widths a load gives: "ID" 50 pixels, the others by their field sizes.
    void setColumnWidths();
    // True from a left press in the grid until its release.
    bool leftButtonHeld() const { return m_leftHeld; }
    // Position in the grid's client area (inside its frame) of a point of one of its parts.
    QPoint clientPos(const QWidget* part, QPoint pos) const;

    // Typing does not jump to rows: the grid is not edited and has no incremental search.
    void keyboardSearch(const QString&) override {}
    // Rows scroll into view as usual; sideways the grid moves only for a column out of view
    // (or cut, when the keyboard moves to it), and only as far as that column needs.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void functionEditRequested();
    void irDataEditRequested();
    void remarkEditRequested();
    void holdToSendRequested();
    void waveRedrawRequested();
    // Local files dropped on the rows, with the row under the pointer (-1 below the last one).
    void filesDropped(const QList<QUrl>& urls, int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void press(const QWidget* part, QMouseEvent* event, bool doubleClick);
    void drag(const QWidget* part, QMouseEvent* event);
    int rowUnder(int viewportY, bool clampToView) const;
    void followCurrentRow();
    int horizontalValueFor(int column, int kept, bool newColumn) const;
    // Draws one row again, its indicator too; nothing for a row out of the table.
    void updateRow(int row);
    void controlsEnabledChanged(bool enabled);
    void tableReset();

    KeyTable& m_keys;
    RowSelection& m_selection;
    KeyGridModel* m_model;
    IndicatorHeader* m_indicator;
    bool m_leftHeld = false;
    bool m_following = false;
    bool m_pointerMove = false; // a press or drag is moving the current cell
    int m_shownColumn = -1;     // the column of the last scrollTo
    int m_dragAnchor = -1;
    int m_markedRow = -1; // the row last drawn as the current one
    std::vector<int> m_selectionAtPress;
    int m_wheelRemainder = 0;
};

} // namespace qlv
