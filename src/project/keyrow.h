// One row of KeyInfo and the model description of ModelInfo's first row, as held in memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace qlv {

// Null and empty are kept apart: a null column stays null through every copy.
struct KeyRow {
    int id = 0;
    std::optional<QString> function;
    std::optional<QString> format;
    std::optional<QString> carry;
    std::optional<QByteArray> irData;
    std::optional<QString> remark;

    bool operator==(const KeyRow&) const = default;
};

// A null text reads as the empty string, as the grid and the dialogs show it.
inline QString textOf(const std::optional<QString>& value)
{
    return value.value_or(QString());
}

struct ModelFields {
    QString moduleName;
    QString type;
    QString manufactory;
    QString moduleId;
    int reCyc = 0;
    QString remark;

    bool operator==(const ModelFields&) const = default;
};

// Column sizes in characters; a longer text is refused, never cut.
struct TextColumn {
    const char* name;
    int size;
};
// The two key columns that hold no text.
inline constexpr const char* KeyIdField = "ID";
inline constexpr const char* KeyIrDataField = "IR Data";
inline constexpr TextColumn KeyFunctionColumn{"Function", 16};
inline constexpr TextColumn KeyFormatColumn{"Format", 7};
inline constexpr TextColumn KeyCarryColumn{"Carry", 7};
inline constexpr TextColumn KeyRemarkColumn{"Remark", 120};
inline constexpr TextColumn ModelNameColumn{"Module Name", 20};
inline constexpr TextColumn ModelTypeColumn{"Type", 20};
inline constexpr TextColumn ModelManufactoryColumn{"Manufactory", 20};
inline constexpr TextColumn ModelIdColumn{"Module ID", 20};
inline constexpr TextColumn ModelRemarkColumn{"Remark", 200};

// A project holds the key slots 1 to 512, each once; throws StoreError saying what is wrong.
// ids are the stored IDs in storage order, nothing for one that is not a whole number.
void checkKeyIds(const std::vector<std::optional<qint64>>& ids);

// Throws StoreError naming the column and its size.
void checkTextFits(const TextColumn& column, const std::optional<QString>& value);
void checkRowFits(const KeyRow& row);
void checkModelFits(const ModelFields& fields);

} // namespace qlv
