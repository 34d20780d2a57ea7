#include "systemports.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <cerrno>
#include <cstring>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlv {

namespace {

QString canonical(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

QString SystemPort::usbId() const
{
    if (!vendorId || !productId)
        return {};
    return QStringLiteral("%1:%2")
        .arg(*vendorId, 4, 16, QChar(u'0'))
        .arg(*productId, 4, 16, QChar(u'0'));
}

QString accessProblem(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) == 0)
        return {};
    const int error = errno;
    struct stat info {};
    if (error == EACCES && ::stat(native.constData(), &info) == 0) {
        const struct group* owner = ::getgrgid(info.st_gid);
        const QString group =
            owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
        if ((info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP) || (info.st_mode & S_IRWXG) == S_IRWXG)
            return QStringLiteral("owned by group %1, which you are not in").arg(group);
        return QStringLiteral("no permission (group %1)").arg(group);
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

SystemPort describePath(const QString& path)
{
    SystemPort port;
    port.path = path;
    port.accessProblem = accessProblem(path);
    return port;
}

std::vector<SystemPort> systemPorts()
{
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort port = describePath(info.systemLocation());
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendorId = info.vendorIdentifier();
            port.productId = info.productIdentifier();
        }
        ports.push_back(port);
    }
    return ports;
}

PortMap loadPortMap(const QString& iniPath, const std::vector<SystemPort>& ports)
{
    if (QFileInfo::exists(iniPath))
        return PortMap::fromFile(iniPath);
    PortMap map;
    const SystemPort* usb = nullptr;
    for (const SystemPort& port : ports) {
        if (!port.isUsb())
            continue;
        if (usb)
            return map; // two adapters: which one is the device is the user's to say
        usb = &port;
    }
    if (usb)
        map.setAutomaticPath(1, usb->path);
    return map;
}

PortMap loadPortMap(const QString& iniPath)
{
    if (QFileInfo::exists(iniPath))
        return PortMap::fromFile(iniPath);
    return loadPortMap(iniPath, systemPorts());
}

QString comNameOf(const PortMap& map, const QString& path)
{
    const QString wanted = canonical(path);
    for (int n = 1; n <= ComPortCount; ++n)
        if (canonical(map.devicePath(comName(n))) == wanted)
            return comName(n);
    return {};
}

QString portToolTip(const PortMap& map, int comNumber)
{
    const QString path = map.devicePath(comName(comNumber));
    if (map.isAutomatic(comNumber))
        return QStringLiteral("%1 (the only USB serial adapter; no ports.ini maps COM%2)")
            .arg(path)
            .arg(comNumber);
    return path;
}

} // namespace qlv
