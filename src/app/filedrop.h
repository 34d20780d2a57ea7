// Files dropped on the main window: a project or an EEPROM image opens as Open would open it,
// a code file dropped on a row of the grid is imported from that row down.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>

namespace qlv {

class KeyGrid;
class MainWindow;
class Prompter;

// A project (".qlv"), an EEPROM image (".bin") or a Windows version's project file, whatever
// its name; anything else is taken for a code file.
bool isProjectOrImage(const QString& path);

class FileDrop : public QObject {
    Q_OBJECT

public:
    // busy tells when a device run or a conversion is under way: nothing is dropped then.
    FileDrop(MainWindow& window, KeyGrid& grid, Prompter& prompter, std::function<bool()> busy);

    // The drop itself, once the drag has let go: on a grid row (0-based) or elsewhere (-1).
    void drop(const QList<QUrl>& urls, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool acceptable(const QList<QUrl>& urls) const;

    MainWindow& m_window;
    Prompter& m_prompter;
    std::function<bool()> m_busy;
};

} // namespace qlv
