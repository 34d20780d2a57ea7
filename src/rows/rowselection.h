// The grid's multi-row selection: row indexes kept in ascending order, so walking it from the
// first item visits the rows in table order whatever order the user picked them in.
#pragma once

#include <QObject>

#include <vector>

namespace qlv {

class RowSelection : public QObject {
    Q_OBJECT

public:
    explicit RowSelection(QObject* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    // The i-th selected row index (0-based), in ascending order.
    int item(int i) const { return m_rows.at(std::size_t(i)); }
    bool contains(int row) const;
    const std::vector<int>& rows() const { return m_rows; }

    void selectRow(int row);
    void toggleRow(int row);
    // Adds every row from one index to the other, either way round.
    void selectRange(int from, int to);
    // Replaces the whole selection.
    void setRows(std::vector<int> rows);
    void clear();

signals:
    void changed();

private:
    std::vector<int> m_rows;
};

} // namespace qlv
