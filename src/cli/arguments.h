// Turning positional arguments into what the operations take.
#pragma once

#include <QString>

namespace qlv::cli {

// A key slot's ID, 1 to 512; anything else is a UsageError.
int parseSlotId(const QString& text);

// An input file as the window would find it: name itself when it exists, else name with ext.
// Throws Failure when neither exists.
QString inputFile(const QString& name, const QString& ext);

} // namespace qlv::cli
