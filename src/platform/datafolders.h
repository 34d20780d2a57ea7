// Where QLV keeps its files. A build tree (marked by the build-tree file CMake writes beside
// the executables) and a folder marked portable (a file named "portable" beside them) keep
// them beside the executable; an installed QLV uses the XDG folders, never its bin folder.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace qlv {

struct DataFolders {
    QString config; // QLV.ini, ports.ini
    QString state;  // the working copy

    bool operator==(const DataFolders&) const = default;
};

// The folders for a program in programDir under env (HOME, XDG_CONFIG_HOME, XDG_STATE_HOME);
// nothing is created. A marked folder that is not writable counts as installed.
DataFolders dataFoldersFor(const QString& programDir, const QProcessEnvironment& env);

// This program's folders, created when missing.
DataFolders programDataFolders();

} // namespace qlv
