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

bool SimulatorWindowRig::start(const QString& simulator, const QStringList& options)
{
    sim = std::make_unique<SimulatorProcess>(simulator, options + QStringList{"--quiet"});
    if (sim->path().isEmpty())
        return false;
    QFile file(dir.filePath(QStringLiteral("ports.ini")));
    return file.open(QIODevice::WriteOnly) &&
           file.write("[PORTS]\nCOM1=" + sim->path().toUtf8() + "\n") > 0;
}

bool SimulatorWindowRig::open()
{
    window.reset();
    prompter = std::make_unique<ScriptedPrompter>();
    window = std::make_unique<MainWindow>(*prompter, dir.path());
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}

} // namespace qlv::test
