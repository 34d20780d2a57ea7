// QLV.ini: read once at start-up, written whole once at a completed close.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qlv {

inline constexpr const char* SettingsFileName = "QLV.ini";

// The values as the file holds them: chooser indexes (-1 for no selection), the IR format and
// the port mask as read, before the window maps them onto its controls.
struct Settings {
    int learnTime = 0; // LEARNTIME/TIME
    int comPort = 0;   // COMPORT/PORT
    int id = 0;        // ID/ID
    int irFormat = 1;  // IRFORMAT/FORMAT
    int irPort = 255;  // IRPORT/PORT
    // Sections of their own, written only when on, so a file without them stays as it was.
    bool verify = false;     // VERIFY/VERIFY: the download is read back and compared
    bool learnTwice = false; // LEARNTWICE/TWICE: each key learned twice
    QStringList recentFiles; // RECENT/FILE1..: the Open button's drop-down, most recent first

    bool operator==(const Settings&) const = default;
};

// Sections and keys ignore case, the first occurrence counts, and a value that is not an
// integer reads as the key's default.
Settings parseSettings(const QByteArray& text);
// Missing or unreadable: every key takes its default.
Settings readSettingsFile(const QString& path);

// The eleven lines, each ending in CR LF, then the sections of the checks that are on and
// the recent projects' section.
QByteArray settingsText(const Settings& settings);
// Replaces the file whole; throws StoreError naming the file.
void writeSettingsFile(const QString& path, const Settings& settings);

} // namespace qlv
