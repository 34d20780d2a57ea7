#include "controls.h"

#include <widgets/builticon.h>

#include <QPainter>
#include <qdrawutil.h>

namespace qlv {

PortLamp::PortLamp(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void PortLamp::setSending(bool sending)
{
    if (m_sending == sending)
        return;
    m_sending = sending;
    update();
}

void PortLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_sending ? sendingColour() : restColour());
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

BevelPanel::BevelPanel(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(2, 2, 2, 2);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    qDrawShadeRect(&painter, rect(), palette(), true, 1);
    qDrawShadeRect(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
}

void Anchors::add(QWidget* widget, QRect designRect, Qt::Edges edges)
{
    m_entries.push_back({widget, designRect, edges});
    widget->setGeometry(designRect);
}

void Anchors::apply(QSize clientSize) const
{
    const int dx = clientSize.width() - m_design.width();
    const int dy = clientSize.height() - m_design.height();
    for (const Entry& entry : m_entries) {
        QRect r = entry.rect;
        const bool left = entry.edges.testFlag(Qt::LeftEdge);
        const bool right = entry.edges.testFlag(Qt::RightEdge);
        const bool top = entry.edges.testFlag(Qt::TopEdge);
        const bool bottom = entry.edges.testFlag(Qt::BottomEdge);
        if (left && right)
            r.setWidth(r.width() + dx);
        else if (right)
            r.translate(dx, 0);
        if (top && bottom)
            r.setHeight(r.height() + dy);
        else if (bottom)
            r.translate(0, dy);
        entry.widget->setGeometry(r);
    }
}

QIcon programIcon(const QString& themeName, const QString& ownName)
{
    // Menus and the toolbar need two sizes, the window's own icon more.
    static const QList<int> actionSizes{16, 32};
    static const QList<int> windowSizes{16, 32, 48, 64};
    const QIcon own = builtIcon(QStringLiteral(":/icons/") + ownName,
                                ownName == u"qlv" ? windowSizes : actionSizes);
    if (themeName.isEmpty())
        return own;
    return QIcon::fromTheme(themeName, own);
}

} // namespace qlv
