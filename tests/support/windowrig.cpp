#include "windowrig.h"

#include <QFile>
#include <QTest>

namespace qlv::test {

WindowRig::WindowRig()
{
    QByteArray ports("[PORTS]\n");
    for (int n = 1; n <= 8; ++n)
        ports += QStringLiteral("COM%1=%2\n").arg(n).arg(line.slavePath()).toUtf8();
    QFile file(dir.filePath(QStringLiteral("ports.ini")));
    if (file.open(QIODevice::WriteOnly))
        file.write(ports);
}

bool WindowRig::open(Prompter& prompter, const QString& folder)
{
    window.reset();
    window = std::make_unique<MainWindow>(prompter, folder.isEmpty() ? dir.path() : folder);
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window.get());
}

} // namespace qlv::test
