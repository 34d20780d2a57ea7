// What qlv's command line asks for: a window, perhaps with a file to open, or an answer in
// the terminal without one.
#pragma once

#include <QString>
#include <QStringList>

namespace qlv {

struct StartupRequest {
    enum Action { Window, Help, Version, UsageError };
    Action action = Window;
    QString file;    // Window: the file to open after start-up, empty for none
    QString message; // UsageError: the one line naming the problem
};

// arguments: after the program name, Qt's own options (-platform ...) taken out. --help and
// --version win wherever they stand; "--" ends the options.
StartupRequest parseStartup(const QStringList& arguments);

QString startupHelp();

} // namespace qlv
