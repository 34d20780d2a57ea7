// qlvtool: the project operations of the K-817T program from a shell, with no display.
#include "commandline.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qlvtool"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return qlv::cli::runCommandLine(arguments);
}
