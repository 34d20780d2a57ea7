// The extension rules of the save dialogs.
#pragma once

#include <QString>

namespace qlv {

// name, unless it already ends in ext (compared without regard to case), then name + ext.
QString withExtension(const QString& name, const QString& ext);
inline QString withProjectExtension(const QString& name)
{
    return withExtension(name, ".qlv");
}
inline QString withImageExtension(const QString& name)
{
    return withExtension(name, ".bin");
}
inline QString withHexTextExtension(const QString& name)
{
    return withExtension(name, ".txt");
}

bool hasExtension(const QString& name, const QString& ext);

} // namespace qlv
