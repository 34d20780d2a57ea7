#include "toolrun.h"

#include <QDebug>
#include <QProcess>

namespace qlv::test {

ToolRun runQlvtool(const QString& folder, const QStringList& args)
{
    return runQlvtool(folder, args, {});
}

QString faultInjectionLibrary()
{
    return QStringLiteral(FAULTINJECT_PATH);
}

ToolRun runQlvtool(const QString& folder, const QStringList& args, const QStringList& environment)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!environment.isEmpty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            variables.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(variables);
    }
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
