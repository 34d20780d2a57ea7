#include "portmap.h"

#include <platform/datafolders.h>

#include <QDir>
#include <QSettings>

namespace qlv {

namespace {

// 1 ... 8 for "COM1" ... "COM8" in any letter case, else 0.
int comNumberOf(const QString& name)
{
    if (name.size() != 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    const int n = name.at(3).digitValue();
    return n >= 1 && n <= ComPortCount ? n : 0;
}

} // namespace

QString comName(int comNumber)
{
    return QStringLiteral("COM%1").arg(comNumber);
}

PortMap PortMap::fromFile(const QString& iniPath)
{
    PortMap map;
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("PORTS"));
    for (const QString& key : ini.childKeys()) {
        const int n = comNumberOf(key);
        const QString path = ini.value(key).toString().trimmed();
        if (n != 0 && !path.isEmpty())
            map.setPath(n, path);
    }
    return map;
}

QString PortMap::defaultFile()
{
    return QDir(programDataFolders().config).filePath(QStringLiteral("ports.ini"));
}

void PortMap::setPath(int comNumber, const QString& path)
{
    if (comNumber >= 1 && comNumber <= ComPortCount)
        m_paths[std::size_t(comNumber - 1)] = path;
    if (comNumber == m_automatic)
        m_automatic = 0;
}

void PortMap::setAutomaticPath(int comNumber, const QString& path)
{
    setPath(comNumber, path);
    m_automatic = comNumber;
}

bool PortMap::isAutomatic(int comNumber) const
{
    return m_automatic != 0 && m_automatic == comNumber;
}

QString PortMap::devicePath(const QString& name) const
{
    if (name.contains(u'/'))
        return name;
    const int n = comNumberOf(name);
    if (n == 0)
        return {};
    const QString& mapped = m_paths[std::size_t(n - 1)];
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(n - 1) : mapped;
}

} // namespace qlv
