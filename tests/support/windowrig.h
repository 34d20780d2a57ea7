// The main window over a data folder whose ports.ini leads every COM port to one
// pseudo-terminal, so that neither a test nor a benchmark opens a real serial port.
#pragma once

#include "ptypeer.h"
#include "scriptedprompter.h"
#include "simulatorprocess.h"

#include <app/mainwindow.h>

#include <QTemporaryDir>

#include <memory>

namespace qlv::test {

struct WindowRig {
    WindowRig();

    // The window on folder (the rig's own when empty), shown and active; false when it did
    // not become active.
    bool open(Prompter& prompter, const QString& folder = QString());
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    PtyPeer line;
    std::unique_ptr<MainWindow> window;
};

// The main window over a data folder whose ports.ini leads COM1 to a k817t-sim process.
struct SimulatorWindowRig {
    // Starts the simulator, quiet, with options; false when it did not start.
    bool start(const QString& simulator, const QStringList& options);
    // Makes the window anew with a fresh prompter, shown; the folder and the simulator stay.
    bool open();
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<MainWindow> window;
};

} // namespace qlv::test
