#include "versioninfo.h"

#include "buildversion.h"

namespace qlv {

QString versionNumber()
{
    const QString revision = QStringLiteral(QLV_GIT_REVISION);
    QString number = QStringLiteral(QLV_VERSION);
    if (!revision.isEmpty())
        number += QStringLiteral(" (git %1)").arg(revision);
    return number;
}

QString versionLine(const QString& program)
{
    return program + u' ' + versionNumber();
}

} // namespace qlv
