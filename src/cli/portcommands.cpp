// The ports command: what the system offers to put a K-817T on.
#include "console.h"
#include "handlers.h"

#include <platform/systemports.h>

#include <QFileInfo>

namespace qlv::cli {

namespace {

QString portLine(const SystemPort& port, const PortMap& map)
{
    return QStringList{port.path,
                       comNameOf(map, port.path),
                       port.usbId(),
                       port.serialNumber,
                       port.manufacturer,
                       port.description,
                       port.accessProblem.isEmpty() ? QStringLiteral("ok")
                                                    : QStringLiteral("no: ") + port.accessProblem}
        .join(u'\t');
}

} // namespace

void runPorts(const Invocation& invocation)
{
    const std::vector<SystemPort> ports = systemPorts();
    const QString mapFile =
        invocation.options.value(QStringLiteral("port-map"), PortMap::defaultFile());
    const PortMap map = loadPortMap(mapFile, ports);
    QStringList listed;
    QString text;
    for (const SystemPort& port : ports) {
        text += portLine(port, map) + u'\n';
        listed << QFileInfo(port.path).canonicalFilePath();
    }
    // A mapping to something the enumeration does not know: a pseudo-terminal, a link, a typo.
    for (int n = 1; n <= ComPortCount; ++n) {
        const QString path = map.devicePath(comName(n));
        const bool byDefault = path == QStringLiteral("/dev/ttyS%1").arg(n - 1);
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (byDefault || (!resolved.isEmpty() && listed.contains(resolved)) ||
            listed.contains(path))
            continue;
        text += portLine(describePath(path), map) + u'\n';
        listed << (resolved.isEmpty() ? path : resolved);
    }
    if (!text.isEmpty())
        printOut(text);
}

} // namespace qlv::cli
