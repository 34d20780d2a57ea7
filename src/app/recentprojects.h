// The Open button's drop-down: the last projects opened or saved, most recent first. QLV.ini
// keeps them in a section of its own, rewritten at every change so a crash loses none.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QToolButton;
class QWidget;

namespace qlv {

class Prompter;

inline constexpr int RecentProjectCount = 8;

// [Recent] File1=... in the order of their numbers: absolute paths only, no duplicates, at
// most RecentProjectCount. Section and keys ignore case; the first occurrence of a key counts.
QStringList parseRecentFiles(const QByteArray& iniText);
// The section with CR LF line ends and UTF-8 paths; empty for no files.
QByteArray recentFilesText(const QStringList& files);
// iniText with its [Recent] section replaced by files' (none for no files) at its end; every
// other line stays byte for byte as it was.
QByteArray withRecentFiles(const QByteArray& iniText, const QStringList& files);
// path at the head of files, once, the list cut to RecentProjectCount. A path an INI line
// cannot hold as it is (a line break, spaces at either end) is not listed.
QStringList withRecentFirst(const QStringList& files, const QString& path);

class RecentProjects : public QObject {
    Q_OBJECT

public:
    // settingsPath is QLV.ini, read now; notices go through prompter; the menu opens over window.
    RecentProjects(const QString& settingsPath, Prompter& prompter, QWidget& window);

    const QStringList& files() const { return m_files; }
    // A project was opened or saved as path: it goes to the head of the list.
    void add(const QString& path);
    // The drop-down on the Open action's button; the button itself still opens the dialog.
    void attachTo(QToolButton* button);
    QMenu* menu() const { return m_menu; }
    // Opens the entry, or drops it from the list with a notice when its file is gone.
    void choose(const QString& path);

signals:
    void openRequested(const QString& path);

private:
    void setFiles(const QStringList& files);
    void fillMenu();

    QString m_settingsPath;
    Prompter& m_prompter;
    QMenu* m_menu;
    QStringList m_files;
    // A QLV.ini that cannot be written is reported once; the list goes on in memory.
    bool m_writeFailureShown = false;
};

} // namespace qlv
