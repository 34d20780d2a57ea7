#include "keyrow.h"

#include <core/storeerror.h>

namespace qlv {

void checkTextFits(const TextColumn& column, const std::optional<QString>& value)
{
    if (value && value->size() > column.size)
        throw StoreError(QStringLiteral("The text for \"%1\" is %2 characters long; the column "
                                        "holds at most %3.")
                             .arg(QLatin1String(column.name))
                             .arg(value->size())
                             .arg(column.size));
}

void checkKeyIds(const std::vector<std::optional<qint64>>& ids)
{
    const QString rule = QStringLiteral("a project holds the IDs 1 to 512 once each.");
    if (ids.size() != 512)
        throw StoreError(
            QStringLiteral("The project has %1 key rows; %2").arg(ids.size()).arg(rule));
    std::vector<int> seen(513, 0);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (!ids[i])
            throw StoreError(QStringLiteral("Key row %1 has an ID that is not a whole number; %2")
                                 .arg(i + 1)
                                 .arg(rule));
        const qint64 id = *ids[i];
        if (id < 1 || id > 512)
            throw StoreError(
                QStringLiteral("The project has a key row with ID %1; %2").arg(id).arg(rule));
        if (++seen[std::size_t(id)] > 1)
            throw StoreError(
                QStringLiteral("The project holds ID %1 more than once; %2").arg(id).arg(rule));
    }
}

void checkRowFits(const KeyRow& row)
{
    checkTextFits(KeyFunctionColumn, row.function);
    checkTextFits(KeyFormatColumn, row.format);
    checkTextFits(KeyCarryColumn, row.carry);
    checkTextFits(KeyRemarkColumn, row.remark);
}

void checkModelFits(const ModelFields& fields)
{
    checkTextFits(ModelNameColumn, fields.moduleName);
    checkTextFits(ModelTypeColumn, fields.type);
    checkTextFits(ModelManufactoryColumn, fields.manufactory);
    checkTextFits(ModelIdColumn, fields.moduleId);
    checkTextFits(ModelRemarkColumn, fields.remark);
    if (fields.reCyc < 0 || fields.reCyc > 255)
        throw StoreError(
            QStringLiteral("\"ReCyc\" holds a byte; %1 is out of range.").arg(fields.reCyc));
}

} // namespace qlv
