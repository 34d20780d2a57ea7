// RightPressFilter: right presses on the key grid never reach it, and the context menu opens
// on the release, so a right click moves no row and keeps the selection as it was.
#pragma once

#include <QObject>

#include <functional>

class QWidget;
class QPoint;

namespace qlv {

class RightPressFilter : public QObject {
    Q_OBJECT

public:
    using OpenMenu = std::function<void(const QPoint& globalPos)>;

    RightPressFilter(OpenMenu openMenu, QObject* parent = nullptr);
    // Watches one surface of the grid (its cells, its row indicator).
    void watch(QWidget* surface);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OpenMenu m_openMenu;
};

} // namespace qlv
