// The two free texts of a slot as the dialogs change them, on the current row.
#pragma once

#include <project/keytable.h>

#include <QString>

namespace qlv {

// Writes name into the record's name field (cut to whole characters within its 15 bytes)
// and into "Function", then posts; the after-post update takes "Function" from the record.
void editFunctionName(KeyTable& keys, const QString& name);
// The remark stays in the project only; the record is not touched.
void editRemark(KeyTable& keys, const QString& remark);

} // namespace qlv
