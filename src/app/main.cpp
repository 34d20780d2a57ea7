// qlv: the window.
#include "dialogprompter.h"
#include "mainwindow.h"
#include "startup.h"

#include <platform/datafolders.h>
#include <platform/versioninfo.h>

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

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// --help and --version answer before any window or display is needed.
int answerInTerminal(const qlv::StartupRequest& request)
{
    print(stdout, request.action == qlv::StartupRequest::Help
                      ? qlv::startupHelp()
                      : qlv::versionLine(QStringLiteral("qlv")) + u'\n');
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("qlv: standard output cannot be written.\n", stderr);
        return 1;
    }
    return 0;
}

int usageError(const QString& message)
{
    print(stderr, QStringLiteral("qlv: %1\nTry 'qlv --help'.\n").arg(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const qlv::StartupRequest early = qlv::parseStartup(rawArguments);
    if (early.action == qlv::StartupRequest::Help || early.action == qlv::StartupRequest::Version)
        return answerInTerminal(early);

    if (!displayAvailable(argc, argv)) {
        std::fputs("qlv: no display (DISPLAY and WAYLAND_DISPLAY are not set); start it as "
                   "'xvfb-run ./run', or use build/bin/qlvtool without a window.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QLV"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const qlv::StartupRequest request = qlv::parseStartup(arguments);
    if (request.action == qlv::StartupRequest::UsageError)
        return usageError(request.message);

    qlv::DialogPrompter prompter;
    qlv::MainWindow window(prompter, qlv::programDataFolders(),
                           qlv::MainWindow::PortOpening::Deferred);
    prompter.setParentWindow(&window);
    qlv::startWindow(window, request.file);
    return app.exec();
}
