#include "keyrow.h"

#include "storeerror.h"

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
