#include "builticon.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace qlv {

namespace {

class BuiltIconEngine final : public QIconEngine {
public:
    BuiltIconEngine(QString stem, QList<int> sizes)
        : m_stem(std::move(stem))
        , m_sizes(std::move(sizes))
    {
        std::sort(m_sizes.begin(), m_sizes.end());
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = sideFor(size);
        const int key = side * 4 + int(mode);
        if (const auto kept = m_pixmaps.constFind(key); kept != m_pixmaps.constEnd())
            return fitted(*kept, size);
        QPixmap picture =
            QPixmap::fromImage(QImage(QStringLiteral("%1-%2.png").arg(m_stem).arg(side), "PNG"));
        // Disabled and selected looks come from the style, as for any other icon.
        if (mode != QIcon::Normal && !picture.isNull())
            if (const QStyle* style = QApplication::style()) {
                QStyleOption option;
                picture = style->generatedIconPixmap(mode, picture, &option);
            }
        m_pixmaps.insert(key, picture);
        return fitted(picture, size);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        QRect target(QPoint(), picture.size() / ratio);
        target.moveCenter(rect.center());
        painter->drawPixmap(target, picture);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = sideFor(size);
        return QSize(side, side).boundedTo(size);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : m_sizes)
            sizes << QSize(side, side);
        return sizes;
    }

    QIconEngine* clone() const override { return new BuiltIconEngine(*this); }
    QString key() const override { return QStringLiteral("BuiltIconEngine"); }

private:
    // The smallest rendered size that fills the request, else the largest there is.
    int sideFor(const QSize& size) const
    {
        const int wanted = std::max(size.width(), size.height());
        for (int side : m_sizes)
            if (side >= wanted)
                return side;
        return m_sizes.isEmpty() ? wanted : m_sizes.last();
    }

    static QPixmap fitted(const QPixmap& picture, const QSize& size)
    {
        if (picture.isNull() ||
            (picture.width() <= size.width() && picture.height() <= size.height()))
            return picture;
        return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QString m_stem;
    QList<int> m_sizes;
    QHash<int, QPixmap> m_pixmaps;
};

} // namespace

QIcon builtIcon(const QString& stem, const QList<int>& sizes)
{
    return QIcon(new BuiltIconEngine(stem, sizes));
}

} // namespace qlv
