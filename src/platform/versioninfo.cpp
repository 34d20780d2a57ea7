#include "versioninfo.h"

#include "buildversion.h"

namespace qlv {

QString versionLine(const QString& program)
{
    const QString revision = QStringLiteral(QLV_GIT_REVISION);
    QString line = program + u' ' + QStringLiteral(QLV_VERSION);
    if (!revision.isEmpty())
        line += QStringLiteral(" (git %1)").arg(revision);
    return line;
}

} // namespace qlv
