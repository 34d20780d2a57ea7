#include "waveformview.h"

#include <irdata/signalrecord.h>
#include <project/keytable.h>

#include <QActionGroup>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

namespace qlv {

std::string localNumberText(long double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(double(value), 'g', 15).toStdString();
}

// Shows the part of the view's picture that needs painting; the view draws it.
class WavePicture : public QWidget {
public:
    explicit WavePicture(WaveformView& view)
        : QWidget(&view)
        , m_view(view)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_view.paintPicture(painter, event->rect());
    }

private:
    WaveformView& m_view;
};

WaveformView::WaveformView(QWidget* parent)
    : QScrollArea(parent)
    , m_canvas(m_window)
    , m_windowCanvas(m_canvas, 0, 0)
    , m_view(m_windowCanvas, localNumberText)
{
    setObjectName(QStringLiteral("ScrollBox1"));
    m_image = new WavePicture(*this);
    m_image->setObjectName(QStringLiteral("Image1"));
    setWidget(m_image);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The picture follows the thumb while it is dragged, not only when it is let go.
    horizontalScrollBar()->setTracking(true);
    // The protocol boxes cover the ruler labels they meet, which move as the strip scrolls.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &WaveformView::placeProtocols);
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
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
    const int scroll = horizontalScrollBar()->value();
    for (int strip = 0; strip < 2; ++strip) {
        QLabel* label = m_protocolLabels[std::size_t(strip)];
        const QSize natural = label->sizeHint();
        const int right = viewport()->width();
        int left = std::max(0, right - natural.width());
        // A ruler label the box would cut is covered whole: half a "36ms" reads as a "3".
        const int tick = (left + scroll + 5) / wave::TickSpacing;
        const int tickLabelStart = tick * wave::TickSpacing - 5 - scroll;
        if (tick >= 1 && tickLabelStart < left)
            left = std::max(0, tickLabelStart - 2);
        label->setGeometry(left, strip * wave::StripHeight + wave::RulerLabelY - 2, right - left,
                           natural.height());
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
    placeWindow(horizontalScrollBar()->value());
    {
        QPainterWaveCanvas::Session session(m_canvas);
        m_view.RedrawWave(shiftPrevious,
                          std::span(reinterpret_cast<const std::uint8_t*>(irData->constData()),
                                    std::size_t(irData->size())),
                          width());
    }
    m_windowValid = true;
    m_fullValid = false;
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
    m_fullValid = false;
    showProtocols();
    m_image->update();
}

void WaveformView::placeWindow(int from)
{
    const int visible = std::max(viewport()->width(), 128);
    const int margin = visible / 2;
    const int width = std::min(visible + 2 * margin, int(wave::PictureWidth));
    if (m_window.width() != width)
        m_window = QImage(width, wave::PictureHeight, QImage::Format_RGB32);
    m_windowLeft = std::clamp(from - margin, 0, int(wave::PictureWidth) - width);
    m_canvas.setOrigin(m_windowLeft);
    m_windowCanvas.setWindow(m_canvas, m_windowLeft, m_windowLeft + width);
}

bool WaveformView::windowCovers(int from, int to) const
{
    return m_windowValid && from >= m_windowLeft && to <= m_windowLeft + m_window.width();
}

void WaveformView::paintPicture(QPainter& painter, const QRect& rect)
{
    // A rect wider than the window (a grab of the whole picture) is painted a window at a time.
    int x = rect.left();
    const int end = rect.right() + 1;
    while (x < end) {
        if (!windowCovers(x, end) && (!windowCovers(x, x + 1) || end - x <= m_window.width() / 2)) {
            placeWindow(x);
            QPainterWaveCanvas::Session session(m_canvas);
            m_view.Repaint();
            m_windowValid = true;
        }
        const int to = std::min(end, m_windowLeft + m_window.width());
        painter.drawImage(QRect(x, rect.top(), to - x, rect.height()), m_window,
                          QRect(x - m_windowLeft, rect.top(), to - x, rect.height()));
        x = to;
    }
}

const QImage& WaveformView::picture() const
{
    if (!m_full)
        m_full =
            std::make_unique<QImage>(wave::PictureWidth, wave::PictureHeight, QImage::Format_RGB32);
    if (!m_fullValid) {
        auto* self = const_cast<WaveformView*>(this);
        QPainterWaveCanvas whole(*m_full);
        self->m_windowCanvas.setWindow(whole, 0, wave::PictureWidth);
        {
            QPainterWaveCanvas::Session session(whole);
            self->m_view.Repaint();
        }
        self->m_windowCanvas.setWindow(self->m_canvas, m_windowLeft,
                                       m_windowLeft + m_window.width());
        m_fullValid = true;
    }
    return *m_full;
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
