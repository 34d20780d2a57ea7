#include "renderdialog.h"

#include <widgets/waveform/qpaintercanvas.h>

#include <irdata/irprotocol.h>
#include <irdata/signalrecord.h>
#include <irdata/waveview.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qlv {

namespace {

constexpr int PreviewWidth = 560;

} // namespace

RenderDialog::RenderDialog(QWidget* parent)
    : QDialog(parent)
    , m_picture(wave::PictureWidth, wave::PictureHeight, QImage::Format_RGB32)
    , m_canvas(std::make_unique<QPainterWaveCanvas>(m_picture))
    , m_view(std::make_unique<WaveView>(*m_canvas))
    , m_result(std::string())
{
    setObjectName(QStringLiteral("fmRender"));
    setWindowTitle(QStringLiteral("Render"));

    m_protocol = new QComboBox(this);
    m_protocol->setObjectName(QStringLiteral("ProtocolBox"));
    for (const ProtocolSpec& known : knownProtocols())
        if (known.renderable)
            m_protocol->addItem(QString::fromStdString(known.name));

    m_parameters = new QWidget(this);
    m_form = new QFormLayout(m_parameters);
    m_form->setContentsMargins(0, 0, 0, 0);
    m_toggleNote = new QLabel(
        QStringLiteral("T: 0 as code A, 1 as code B; the device alternates them."), this);
    m_toggleNote->setObjectName(QStringLiteral("ToggleNote"));

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("PreviewLabel"));
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pulses = new QLabel(this);
    m_pulses->setObjectName(QStringLiteral("PulsePreview"));
    m_pulseScroll = new QScrollArea(this);
    m_pulseScroll->setObjectName(QStringLiteral("PulseScroll"));
    m_pulseScroll->setWidget(m_pulses);
    m_pulseScroll->setFixedSize(PreviewWidth, wave::PictureHeight + 20);
    m_pulseScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Protocol:"), m_protocol);
    layout->addLayout(top);
    layout->addWidget(m_parameters);
    layout->addWidget(m_toggleNote);
    layout->addWidget(m_preview);
    layout->addWidget(m_pulseScroll);
    layout->addWidget(m_buttons);

    connect(m_protocol, &QComboBox::currentIndexChanged, this, [this] {
        rebuildParameters();
        updatePreview();
    });
    rebuildParameters();
    updatePreview();
}

RenderDialog::~RenderDialog() = default;

QSpinBox* RenderDialog::parameterBox(const QString& name) const
{
    for (QSpinBox* box : m_boxes)
        if (box->objectName() == QStringLiteral("Parameter") + name)
            return box;
    return nullptr;
}

QString RenderDialog::previewText() const
{
    return m_preview->text();
}

std::optional<CodeRecord> RenderDialog::record() const
{
    if (const auto* record = std::get_if<CodeRecord>(&m_result))
        return *record;
    return std::nullopt;
}

void RenderDialog::rebuildParameters()
{
    while (m_form->rowCount() > 0)
        m_form->removeRow(0);
    m_boxes.clear();
    const ProtocolSpec* chosen = findProtocol(m_protocol->currentText().toStdString());
    if (!chosen)
        return;
    for (const ParameterSpec& parameter : chosen->parameters) {
        // The record of a toggling protocol holds both toggle states, so T is not asked.
        if (chosen->toggles && parameter.name == "T")
            continue;
        auto* box = new QSpinBox(m_parameters);
        const QString name = QString::fromStdString(parameter.name);
        box->setObjectName(QStringLiteral("Parameter") + name);
        // One below the range stands for "use the default" (NEC1's S = 255 - D).
        box->setRange(int(parameter.min) - (parameter.hasDefault ? 1 : 0), int(parameter.max));
        if (parameter.hasDefault)
            box->setSpecialValueText(QStringLiteral("default"));
        box->setValue(box->minimum());
        box->setToolTip(QStringLiteral("%1 to %2").arg(parameter.min).arg(parameter.max));
        connect(box, &QSpinBox::valueChanged, this, &RenderDialog::updatePreview);
        m_form->addRow(name + QStringLiteral(":"), box);
        m_boxes.push_back(box);
    }
    m_toggleNote->setVisible(chosen->toggles);
}

void RenderDialog::updatePreview()
{
    std::vector<ProtocolParameter> parameters;
    for (QSpinBox* box : m_boxes) {
        if (!box->specialValueText().isEmpty() && box->value() == box->minimum())
            continue;
        parameters.push_back({box->objectName().mid(9).toStdString(), box->value()});
    }
    m_result = recordFromProtocol(m_protocol->currentText().toStdString(), parameters);
    const auto* record = std::get_if<CodeRecord>(&m_result);
    m_preview->setText(QString::fromStdString(record ? recordSummary(*record, "\n")
                                                     : std::get<std::string>(m_result)));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(record != nullptr);

    const CodeRecord empty{};
    const CodeRecord& drawn = record ? *record : empty;
    {
        QPainterWaveCanvas::Session session(*m_canvas);
        m_view->RedrawWave(false, std::span(drawn.data(), drawn.size()), PreviewWidth);
    }
    const int width = int(std::max(m_view->stripWidth[0], m_view->stripWidth[1]));
    m_pulses->setPixmap(QPixmap::fromImage(m_picture.copy(0, 0, width, wave::PictureHeight)));
    m_pulses->adjustSize();
    // The code starts after its lead-in, the gap between repeats: show its first burst.
    const std::vector<CodeStep> steps = codeSteps(drawn, Code::A);
    const int firstBurst =
        steps.empty() ? 0 : int(steps.front().gapUs / std::uint64_t(m_view->usPerPixel));
    m_firstBurstX = std::max(0, firstBurst - 20);
    m_pulseScroll->horizontalScrollBar()->setValue(m_firstBurstX);
}

void RenderDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The scroll range exists only once the picture has been laid out.
    m_pulseScroll->widget()->adjustSize();
    m_pulseScroll->horizontalScrollBar()->setRange(
        0, std::max(0, m_pulses->width() - m_pulseScroll->viewport()->width()));
    m_pulseScroll->horizontalScrollBar()->setValue(m_firstBurstX);
}

} // namespace qlv
