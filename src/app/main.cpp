// qlv: the window.
#include "dialogprompter.h"
#include "mainwindow.h"

#include <project/workingcopy.h>

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

// Qt's own complaint without a display is an abort with a plugin list; say what to do instead.
bool displayAvailable(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable(argc, argv)) {
        std::fputs("qlv: no display (DISPLAY and WAYLAND_DISPLAY are not set); start it as "
                   "'xvfb-run ./run', or use build/bin/qlvtool without a window.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QLV"));
    qlv::DialogPrompter prompter;
    qlv::MainWindow window(prompter, qlv::programDataFolder());
    prompter.setParentWindow(&window);
    window.show();
    return app.exec();
}
