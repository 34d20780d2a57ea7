#include "statusmessages.h"

#include <device/devicelink.h>
#include <project/project.h>

#include <QDir>
#include <QPalette>
#include <QStatusBar>

namespace qlv {

void showWhatHappened(QStatusBar& bar, DeviceLink& link, Project& project)
{
    // A learn run or a transfer disables the window's controls, the status bar with them, just
    // when its words matter: they keep the colour of an enabled bar.
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     palette.color(QPalette::Active, QPalette::WindowText));
    bar.setPalette(palette);
    // A message hides the file and port panels only while it is shown: the results time out,
    // and the learn run takes its instruction away when it ends.
    QObject::connect(&link, &DeviceLink::statusMessage, &bar,
                     [&bar](const QString& text, bool lasting) {
                         if (text.isEmpty())
                             bar.clearMessage();
                         else
                             bar.showMessage(text, lasting ? 0 : ResultShownMs);
                     });
    QObject::connect(&project, &Project::saved, &bar, [&bar](const QString& path) {
        bar.showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)),
                        ResultShownMs);
    });
    QObject::connect(&project, &Project::compiled, &bar, [&bar](const QString& path, qint64 bytes) {
        bar.showMessage(QStringLiteral("Compiled %1 bytes to %2")
                            .arg(bytes)
                            .arg(QDir::toNativeSeparators(path)),
                        ResultShownMs);
    });
}

} // namespace qlv
