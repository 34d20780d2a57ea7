// What --version prints.
#pragma once

#include <QString>

namespace qlv {

// "0.1.0 (git 1a2b3c4)"; without the revision when built outside a git checkout.
QString versionNumber();
// "qlvtool 0.1.0 (git 1a2b3c4)".
QString versionLine(const QString& program);

} // namespace qlv
