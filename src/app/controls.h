// Small controls of the main window that Qt has no ready form of.
#pragma once

#include <QFrame>
#include <QIcon>
#include <QWidget>

#include <vector>

namespace qlv {

// A filled disc beside each IR port box: grey at rest, red while the port sends.
class PortLamp : public QWidget {
    Q_OBJECT

public:
    static QColor restColour() { return QColor(128, 128, 128); }
    static QColor sendingColour() { return QColor(255, 0, 0); }

    explicit PortLamp(QWidget* parent = nullptr);
    void setSending(bool sending);
    bool sending() const { return m_sending; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_sending = false;
};

// A panel with a lowered outer and a raised inner bevel.
class BevelPanel : public QFrame {
    Q_OBJECT

public:
    explicit BevelPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Keeps each control's distance to the client edges it is anchored to, from the positions
// it was laid out at in the design size.
class Anchors {
public:
    explicit Anchors(QSize designSize)
        : m_design(designSize)
    {
    }
    void add(QWidget* widget, QRect designRect, Qt::Edges edges);
    void apply(QSize clientSize) const;

private:
    struct Entry {
        QWidget* widget;
        QRect rect;
        Qt::Edges edges;
    };
    QSize m_design;
    std::vector<Entry> m_entries;
};

// The desktop theme's icon when it has one, else ours from the resources.
QIcon programIcon(const QString& themeName, const QString& ownName);

} // namespace qlv
