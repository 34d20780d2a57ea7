// What qlv's command line asks for: a window, perhaps with a file to open, or an answer in
// the terminal without one.
#pragma once

#include <QString>
#include <QStringList>

namespace qlv {

class MainWindow;

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

// Shows the window, then opens the saved port and file (empty for none) from the event loop:
// an error box of either comes over the shown window, not before it. window was made with
// MainWindow::PortOpening::Deferred.
void startWindow(MainWindow& window, const QString& file);

} // namespace qlv
