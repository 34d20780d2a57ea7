#include "datafolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qlv {

namespace {

bool keepsFilesBeside(const QString& programDir)
{
    const QDir dir(programDir);
    const bool marked = QFileInfo::exists(dir.filePath(QStringLiteral("build-tree"))) ||
                        QFileInfo::exists(dir.filePath(QStringLiteral("portable")));
    return marked && QFileInfo(programDir).isWritable();
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else its default under HOME.
QString xdgBase(const QProcessEnvironment& env, const QString& variable, const QString& fallback)
{
    const QString value = env.value(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty())
        home = QDir::homePath();
    return QDir::cleanPath(home + u'/' + fallback);
}

} // namespace

DataFolders dataFoldersFor(const QString& programDir, const QProcessEnvironment& env)
{
    if (keepsFilesBeside(programDir)) {
        const QString dir = QDir::cleanPath(programDir);
        return {dir, dir};
    }
    return {xdgBase(env, QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral(".config")) +
                QStringLiteral("/QLV"),
            xdgBase(env, QStringLiteral("XDG_STATE_HOME"), QStringLiteral(".local/state")) +
                QStringLiteral("/QLV")};
}

DataFolders programDataFolders()
{
    const DataFolders folders = dataFoldersFor(QCoreApplication::applicationDirPath(),
                                               QProcessEnvironment::systemEnvironment());
    QDir().mkpath(folders.config);
    QDir().mkpath(folders.state);
    return folders;
}

} // namespace qlv
