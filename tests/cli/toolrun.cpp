#include "toolrun.h"

#include <QDebug>
#include <QProcess>

namespace qlv::test {

ToolRun runQlvtool(const QString& folder, const QStringList& args)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(QLVTOOL_PATH), args);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool qlvtoolSucceeds(const QString& folder, const QStringList& args)
{
    const ToolRun run = runQlvtool(folder, args);
    if (run.exitCode != 0)
        qWarning() << args << "failed:" << run.exitCode << run.out << run.err;
    return run.exitCode == 0;
}

} // namespace qlv::test
