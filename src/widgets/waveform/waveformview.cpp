#include "waveformview.h"

#include <irdata/signalrecord.h>
#include <project/keytable.h>

#include <QActionGroup>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>

namespace qlv {

std::string localNumberText(long double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(double(value), 'g', 15).toStdString();
}

// Shows the part of the off-screen picture that needs painting; it never draws itself.
class WavePicture : public QWidget {
public:
    WavePicture(const QImage& picture, QWidget* parent)
        : QWidget(parent)
        , m_picture(picture)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const QRect rect = event->rect();
        painter.drawImage(rect, m_picture, rect);
    }

private:
    const QImage& m_picture;
};

WaveformView::WaveformView(QWidget* parent)
    : QScrollArea(parent)
    , m_picture(wave::PictureWidth, wave::PictureHeight, QImage::Format_RGB32)
    , m_canvas(m_picture)
    , m_view(m_canvas, localNumberText)
{
    setObjectName(QStringLiteral("ScrollBox1"));
    m_picture.fill(toQColor(wave::Background));

    m_image = new WavePicture(m_picture, this);
    m_image->setObjectName(QStringLiteral("Image1"));
    setWidget(m_image);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The picture follows the thumb while it is dragged, not only when it is let go.
    horizontalScrollBar()->setTracking(true);
    applyPictureWidth();

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_rolling = m_menu->addAction(QStringLiteral("Rolling"));
    m_rolling->setObjectName(QStringLiteral("Rolling1"));
    m_autoClear = m_menu->addAction(QStringLiteral("Auto Clear"));
    m_autoClear->setObjectName(QStringLiteral("Autoclean1"));
    auto* modes = new QActionGroup(this);
    modes->setExclusive(true);
    for (QAction* item : {m_rolling, m_autoClear}) {
        item->setCheckable(true);
        modes->addAction(item);
        connect(item, &QAction::triggered, this, &WaveformView::modeChosen);
    }
    m_autoClear->setChecked(true);

    m_image->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_image, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_image->mapToGlobal(at)); });

    // Each strip's protocol stays in view at the right end of its ruler row while it scrolls.
    for (int strip = 0; strip < 2; ++strip) {
        auto* label = new QLabel(viewport());
        label->setObjectName(QStringLiteral("WaveProtocol%1").arg(strip));
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, toQColor(wave::Background));
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setContentsMargins(3, 0, 3, 0);
        label->hide();
        m_protocolLabels[std::size_t(strip)] = label;
    }
}

QString WaveformView::protocolText(int strip) const
{
    return m_protocolLabels[std::size_t(strip)]->text();
}

void WaveformView::showProtocols()
{
    const std::array<const CodeRecord*, 2> records{&m_view.currentRecord, &m_view.previousRecord};
    for (int strip = 0; strip < 2; ++strip) {
        QLabel* label = m_protocolLabels[std::size_t(strip)];
        label->setText(QString::fromStdString(codeSummary(*records[std::size_t(strip)], Code::A)));
        label->setVisible(!label->text().isEmpty());
    }
    placeProtocols();
}

void WaveformView::placeProtocols()
{
    for (int strip = 0; strip < 2; ++strip) {
        QLabel* label = m_protocolLabels[std::size_t(strip)];
        label->adjustSize();
        label->move(std::max(0, viewport()->width() - label->width() - 4),
                    strip * wave::StripHeight + wave::RulerLabelY - 2);
        label->raise();
    }
}

void WaveformView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    placeProtocols();
}

WaveformView::~WaveformView() = default;

QWidget* WaveformView::image() const
{
    return m_image;
}

void WaveformView::setKeyTable(const KeyTable* keys)
{
    if (!keys) {
        m_source = {};
        return;
    }
    m_source = [keys]() -> std::optional<QByteArray> {
        if (keys->recordCount() == 0)
            return std::nullopt;
        return keys->current().irData.value_or(QByteArray());
    };
}

void WaveformView::setCurrentIrData(CurrentIrData source)
{
    m_source = std::move(source);
}

void WaveformView::RedrawWave(bool shiftPrevious)
{
    const std::optional<QByteArray> irData = m_source ? m_source() : std::nullopt;
    if (!irData)
        return;
    {
        QPainterWaveCanvas::Session session(m_canvas);
        m_view.RedrawWave(shiftPrevious,
                          std::span(reinterpret_cast<const std::uint8_t*>(irData->constData()),
                                    std::size_t(irData->size())),
                          width());
    }
    applyPictureWidth();
    showProtocols();
    m_image->update();
}

void WaveformView::ClearWave()
{
    {
        QPainterWaveCanvas::Session session(m_canvas);
        m_view.ClearWave();
    }
    showProtocols();
    m_image->update();
}

void WaveformView::applyPictureWidth()
{
    m_image->setFixedSize(int(m_view.pictureWidth), wave::PictureHeight);
}

void WaveformView::zoomIn()
{
    m_view.zoomIn();
    RedrawWave(false);
}

void WaveformView::zoomOut()
{
    m_view.zoomOut();
    RedrawWave(false);
}

void WaveformView::normalSize()
{
    m_view.normalSize();
    RedrawWave(false);
}

void WaveformView::setShowTime(bool checked)
{
    m_view.showTime = checked;
    RedrawWave(false);
}

void WaveformView::modeChosen()
{
    m_view.mode = m_rolling->isChecked() ? WaveMode::Rolling : WaveMode::AutoClear;
    RedrawWave(false);
}

void WaveformView::scrollToStart()
{
    horizontalScrollBar()->setValue(0);
}

} // namespace qlv
