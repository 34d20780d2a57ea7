#include "rowselection.h"

#include <algorithm>

namespace qlv {

RowSelection::RowSelection(QObject* parent)
    : QObject(parent)
{
}

bool RowSelection::contains(int row) const
{
    return std::binary_search(m_rows.begin(), m_rows.end(), row);
}

void RowSelection::selectRow(int row)
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row);
    if (at != m_rows.end() && *at == row)
        return;
    m_rows.insert(at, row);
    emit changed();
}

void RowSelection::toggleRow(int row)
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row);
    if (at != m_rows.end() && *at == row)
        m_rows.erase(at);
    else
        m_rows.insert(at, row);
    emit changed();
}

void RowSelection::selectRange(int from, int to)
{
    if (from > to)
        std::swap(from, to);
    std::vector<int> range(std::size_t(to - from + 1));
    for (std::size_t i = 0; i < range.size(); ++i)
        range[i] = from + int(i);
    std::vector<int> merged;
    merged.reserve(m_rows.size() + range.size());
    std::set_union(m_rows.begin(), m_rows.end(), range.begin(), range.end(),
                   std::back_inserter(merged));
    if (merged.size() == m_rows.size())
        return;
    m_rows = std::move(merged);
    emit changed();
}

void RowSelection::setRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows == m_rows)
        return;
    m_rows = std::move(rows);
    emit changed();
}

void RowSelection::clear()
{
    if (m_rows.empty())
        return;
    m_rows.clear();
    emit changed();
}

} // namespace qlv
