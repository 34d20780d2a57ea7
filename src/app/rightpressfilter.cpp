#include "rightpressfilter.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWidget>

namespace qlv {

RightPressFilter::RightPressFilter(OpenMenu openMenu, QObject* parent)
    : QObject(parent)
    , m_openMenu(std::move(openMenu))
{
}

void RightPressFilter::watch(QWidget* surface)
{
    surface->installEventFilter(this);
}

bool RightPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        m_openMenu(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::ContextMenu: {
        // The mouse's own menu request comes with the press; the release opens the menu.
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse)
            return true;
        m_openMenu(static_cast<QWidget*>(watched)->mapToGlobal(request->pos()));
        return true;
    }
    default:
        return false;
    }
}

} // namespace qlv
