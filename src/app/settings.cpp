#include "settings.h"

#include "recentprojects.h"

#include <project/wholefile.h>
#include <rows/gotorules.h>

#include <QFile>
#include <QList>

#include <optional>

namespace qlv {

namespace {

// The first value of key in section, trimmed; nothing when either is missing.
std::optional<QString> lookUp(const QList<QByteArray>& lines, const char* section, const char* key)
{
    bool inSection = false;
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed();
            inSection = name.compare(QLatin1String(section), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || line.startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1).trimmed();
    }
    return std::nullopt;
}

int readInteger(const QList<QByteArray>& lines, const char* section, const char* key, int fallback)
{
    const std::optional<QString> value = lookUp(lines, section, key);
    if (!value)
        return fallback;
    return strToInt(*value).value_or(fallback);
}

} // namespace

Settings parseSettings(const QByteArray& text)
{
    QByteArray normalised = text;
    normalised.replace('\r', '\n');
    const QList<QByteArray> lines = normalised.split('\n');
    const Settings defaults;
    Settings settings;
    settings.learnTime = readInteger(lines, "LEARNTIME", "TIME", defaults.learnTime);
    settings.comPort = readInteger(lines, "COMPORT", "PORT", defaults.comPort);
    settings.id = readInteger(lines, "ID", "ID", defaults.id);
    settings.irFormat = readInteger(lines, "IRFORMAT", "FORMAT", defaults.irFormat);
    settings.irPort = readInteger(lines, "IRPORT", "PORT", defaults.irPort);
    settings.verify = readInteger(lines, "VERIFY", "VERIFY", 0) != 0;
    settings.learnTwice = readInteger(lines, "LEARNTWICE", "TWICE", 0) != 0;
    settings.recentFiles = parseRecentFiles(text);
    return settings;
}

Settings readSettingsFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseSettings(file.readAll());
}

QByteArray settingsText(const Settings& settings)
{
    QString text = QStringLiteral("[AUTORUN]\r\n"
                                  "[COMPORT]\r\n"
                                  "PORT=%1\r\n"
                                  "[ID]\r\n"
                                  "ID=%2\r\n"
                                  "[LEARNTIME]\r\n"
                                  "TIME=%3\r\n"
                                  "[IRPORT]\r\n"
                                  "PORT=%4\r\n"
                                  "[IRFORMAT]\r\n"
                                  "FORMAT=%5\r\n")
                       .arg(settings.comPort)
                       .arg(settings.id)
                       .arg(settings.learnTime)
                       .arg(settings.irPort)
                       .arg(settings.irFormat);
    if (settings.verify)
        text += QStringLiteral("[VERIFY]\r\nVERIFY=1\r\n");
    if (settings.learnTwice)
        text += QStringLiteral("[LEARNTWICE]\r\nTWICE=1\r\n");
    return text.toLatin1() + recentFilesText(settings.recentFiles);
}

void writeSettingsFile(const QString& path, const Settings& settings)
{
    writeFileWhole(path, settingsText(settings));
}

} // namespace qlv
