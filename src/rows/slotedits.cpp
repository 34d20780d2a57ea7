#include "slotedits.h"

#include <core/codepage.h>
#include <project/derivedfields.h>

namespace qlv {

void editFunctionName(KeyTable& keys, const QString& name)
{
    KeyRow row = keys.current();
    CodeRecord record = recordOf(row);
    writeName(record, toCodePageCut(name, NameMaxBytes));
    row.irData = bytesOf(record);
    row.function = name;
    keys.post(row);
}

void editRemark(KeyTable& keys, const QString& remark)
{
    KeyRow row = keys.current();
    row.remark = remark;
    keys.post(row);
}

} // namespace qlv
