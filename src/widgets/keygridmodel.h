// The key table as a grid model: one row per slot, one column per field of KeyInfo.
#pragma once

#include <project/keytable.h>

#include <QAbstractTableModel>

namespace qlv {

class KeyGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { IdColumn, FunctionColumn, FormatColumn, CarryColumn, IrDataColumn, RemarkColumn };
    static constexpr int FieldCount = 6;

    explicit KeyGridModel(KeyTable& keys, QObject* parent = nullptr);

    static QString fieldName(int column);
    // What a cell shows; "IR Data" shows a placeholder, never the bytes.
    static QString cellText(const KeyRow& row, int column);
    static const QString IrDataPlaceholder;

    KeyTable& keys() const { return m_keys; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void tableReset();
    void rowChanged(int index);
    void controlsEnabledChanged(bool enabled);

    KeyTable& m_keys;
    int m_rowCount = 0;
};

} // namespace qlv
