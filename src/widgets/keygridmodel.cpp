#include "keygridmodel.h"

#include <irdata/signalrecord.h>
#include <project/derivedfields.h>

namespace qlv {

const QString KeyGridModel::IrDataPlaceholder = QStringLiteral("(IR data)");

KeyGridModel::KeyGridModel(KeyTable& keys, QObject* parent)
    : QAbstractTableModel(parent)
    , m_keys(keys)
    , m_rowCount(keys.recordCount())
{
    connect(&keys, &KeyTable::tableReset, this, &KeyGridModel::tableReset);
    connect(&keys, &KeyTable::rowChanged, this, &KeyGridModel::rowChanged);
    connect(&keys, &KeyTable::controlsEnabledChanged, this, &KeyGridModel::controlsEnabledChanged);
}

QString KeyGridModel::fieldName(int column)
{
    switch (column) {
    case IdColumn:
        return QLatin1String(KeyIdField);
    case FunctionColumn:
        return QLatin1String(KeyFunctionColumn.name);
    case FormatColumn:
        return QLatin1String(KeyFormatColumn.name);
    case CarryColumn:
        return QLatin1String(KeyCarryColumn.name);
    case IrDataColumn:
        return QLatin1String(KeyIrDataField);
    case RemarkColumn:
        return QLatin1String(KeyRemarkColumn.name);
    }
    return {};
}

QString KeyGridModel::cellText(const KeyRow& row, int column)
{
    switch (column) {
    case IdColumn:
        return QString::number(row.id);
    case FunctionColumn:
        return textOf(row.function);
    case FormatColumn:
        return textOf(row.format);
    case CarryColumn:
        return textOf(row.carry);
    case IrDataColumn:
        return IrDataPlaceholder;
    case RemarkColumn:
        return textOf(row.remark);
    }
    return {};
}

int KeyGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int KeyGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FieldCount;
}

QVariant KeyGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(m_keys.row(index.row()), index.column());
    case Qt::ToolTipRole:
        // The grid keeps the file's columns; the protocol shows where the format is read.
        if (index.column() == FormatColumn) {
            const std::string summary = recordSummary(recordOf(m_keys.row(index.row())), "\n");
            if (!summary.empty())
                return QString::fromStdString(summary);
        }
        return {};
    case Qt::TextAlignmentRole:
        // Numbers stand right, as a data grid shows an integer field.
        return index.column() == IdColumn ? int(Qt::AlignRight | Qt::AlignVCenter)
                                          : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant KeyGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return fieldName(section);
    return QString();
}

Qt::ItemFlags KeyGridModel::flags(const QModelIndex& index) const
{
    // Cells are never edited in place: every edit goes through a command or a dialog.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void KeyGridModel::tableReset()
{
    // The table has already changed when it says so; the views only need to start over.
    beginResetModel();
    m_rowCount = m_keys.recordCount();
    endResetModel();
}

void KeyGridModel::rowChanged(int index)
{
    // A bulk walk refreshes once when it ends.
    if (m_keys.controlsDisabled())
        return;
    emit dataChanged(this->index(index, 0), this->index(index, FieldCount - 1));
}

void KeyGridModel::controlsEnabledChanged(bool enabled)
{
    if (enabled && m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, FieldCount - 1));
}

} // namespace qlv
