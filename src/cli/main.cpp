// qlvtool: the project operations of the K-817T program from a shell, with no display.
#include "commandline.h"

#include <project/cleanuponsignal.h>

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Ended by a signal, a run leaves no temporary folder or half-written file behind.
    qlv::installCleanupOnSignals();
    QCoreApplication::setApplicationName(QStringLiteral("qlvtool"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return qlv::cli::runCommandLine(arguments);
}
