// Lines to stdout and stderr, always UTF-8 whatever the locale says.
#pragma once

#include <QString>

namespace qlv::cli {

void printOut(const QString& text);
void printErr(const QString& text);

} // namespace qlv::cli
