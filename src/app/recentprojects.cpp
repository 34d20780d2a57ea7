#include "recentprojects.h"

#include <core/prompter.h>
#include <core/storeerror.h>
#include <project/wholefile.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

#include <map>

namespace qlv {

namespace {

constexpr QLatin1StringView SectionName("Recent");
constexpr QLatin1StringView KeyPrefix("File");

// The lines of text, each with its own line end, so that they join back to the same bytes.
QList<QByteArray> linesWithEnds(const QByteArray& text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            lines << text.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

// The section a header line names, or nothing for a line that is no header.
std::optional<QString> sectionOf(const QByteArray& line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    if (!text.startsWith(u'['))
        return std::nullopt;
    const qsizetype end = text.indexOf(u']');
    return text.mid(1, end < 0 ? -1 : end - 1).trimmed();
}

bool isRecentSection(const std::optional<QString>& section)
{
    return section && section->compare(SectionName, Qt::CaseInsensitive) == 0;
}

bool storable(const QString& path)
{
    return !path.isEmpty() && path.trimmed() == path && !path.contains(u'\n') &&
           !path.contains(u'\r') && QDir::isAbsolutePath(path);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QStringList parseRecentFiles(const QByteArray& iniText)
{
    std::map<int, QString> numbered;
    bool inSection = false;
    for (const QByteArray& line : linesWithEnds(iniText)) {
        if (const std::optional<QString> section = sectionOf(line)) {
            inSection = isRecentSection(section);
            continue;
        }
        const QString text = QString::fromUtf8(line).trimmed();
        const qsizetype equals = text.indexOf(u'=');
        if (!inSection || text.startsWith(u';') || equals < 0)
            continue;
        const QString key = text.left(equals).trimmed();
        if (!key.startsWith(KeyPrefix, Qt::CaseInsensitive))
            continue;
        bool isNumber = false;
        const int number = key.mid(KeyPrefix.size()).toInt(&isNumber);
        if (isNumber && number > 0)
            numbered.try_emplace(number, text.mid(equals + 1).trimmed());
    }
    QStringList files;
    for (const auto& [number, path] : numbered)
        if (storable(path) && !files.contains(path) && files.size() < RecentProjectCount)
            files << path;
    return files;
}

QByteArray recentFilesText(const QStringList& files)
{
    if (files.isEmpty())
        return {};
    QByteArray text = "[" + QByteArray(SectionName.data(), SectionName.size()) + "]\r\n";
    for (qsizetype i = 0; i < files.size(); ++i)
        text += QStringLiteral("%1%2=%3\r\n").arg(KeyPrefix).arg(i + 1).arg(files[i]).toUtf8();
    return text;
}

QByteArray withRecentFiles(const QByteArray& iniText, const QStringList& files)
{
    QByteArray kept;
    bool inSection = false;
    for (const QByteArray& line : linesWithEnds(iniText)) {
        if (const std::optional<QString> section = sectionOf(line))
            inSection = isRecentSection(section);
        if (!inSection)
            kept += line;
    }
    const QByteArray section = recentFilesText(files);
    if (!section.isEmpty() && !kept.isEmpty() && !kept.endsWith('\n') && !kept.endsWith('\r'))
        kept += "\r\n";
    return kept + section;
}

QStringList withRecentFirst(const QStringList& files, const QString& path)
{
    if (!storable(path))
        return files;
    QStringList result{path};
    for (const QString& file : files)
        if (file != path && result.size() < RecentProjectCount)
            result << file;
    return result;
}

RecentProjects::RecentProjects(const QString& settingsPath, Prompter& prompter, QWidget& window)
    : QObject(&window)
    , m_settingsPath(settingsPath)
    , m_prompter(prompter)
    , m_menu(new QMenu(&window))
{
    m_menu->setObjectName(QStringLiteral("RecentProjectsMenu"));
    m_menu->setToolTipsVisible(true);
    QFile file(settingsPath);
    if (file.open(QIODevice::ReadOnly))
        m_files = parseRecentFiles(file.readAll());
    fillMenu();
}

void RecentProjects::attachTo(QToolButton* button)
{
    button->setMenu(m_menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
}

void RecentProjects::add(const QString& path)
{
    setFiles(withRecentFirst(m_files, QFileInfo(path).absoluteFilePath()));
}

void RecentProjects::choose(const QString& path)
{
    if (QFileInfo::exists(path)) {
        emit openRequested(path);
        return;
    }
    QStringList files = m_files;
    files.removeAll(path);
    setFiles(files);
    m_prompter.notice(
        QStringLiteral("%1 no longer exists; it was removed from the list.").arg(native(path)));
}

void RecentProjects::setFiles(const QStringList& files)
{
    if (files == m_files)
        return;
    m_files = files;
    fillMenu();
    try {
        // The other sections are rewritten as they stand in the file, not as this window
        // holds them: those are saved at the close.
        QByteArray current;
        QFile file(m_settingsPath);
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly))
                throw StoreError(QStringLiteral("Cannot read %1: %2")
                                     .arg(native(m_settingsPath), file.errorString()));
            current = file.readAll();
        }
        writeFileWhole(m_settingsPath, withRecentFiles(current, m_files));
    } catch (const StoreError& error) {
        if (!m_writeFailureShown)
            m_prompter.notice(error.text());
        m_writeFailureShown = true;
    }
}

void RecentProjects::fillMenu()
{
    // Later, not now: fillMenu may run inside one of these actions' own triggered().
    for (QAction* old : m_menu->actions()) {
        m_menu->removeAction(old);
        old->deleteLater();
    }
    if (m_files.isEmpty()) {
        auto* none = new QAction(QStringLiteral("No recent projects"), m_menu);
        none->setEnabled(false);
        m_menu->addAction(none);
        return;
    }
    QStringList names;
    for (const QString& path : m_files)
        names << QFileInfo(path).fileName();
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QString path = m_files[i];
        QString shown = names[i];
        // Two projects of one name are told apart by their folders.
        if (names.count(names[i]) > 1)
            shown += QStringLiteral("  (%1)").arg(native(QFileInfo(path).path()));
        auto* entry = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace(u'&', QStringLiteral("&&"))),
            m_menu);
        m_menu->addAction(entry);
        entry->setObjectName(QStringLiteral("RecentProject%1").arg(i + 1));
        entry->setToolTip(native(path));
        entry->setStatusTip(native(path));
        connect(entry, &QAction::triggered, this, [this, path] { choose(path); });
    }
}

} // namespace qlv
