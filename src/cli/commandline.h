// From the words after "qlvtool" to an exit status.
#pragma once

#include <QStringList>

namespace qlv::cli {

int runCommandLine(const QStringList& arguments);

} // namespace qlv::cli
