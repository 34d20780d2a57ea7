#include "wavecontrols.h"

#include "waveformview.h"

#include <widgets/builticon.h>

#include <QCheckBox>
#include <QToolButton>

#include <algorithm>

namespace qlv {

namespace {

struct ButtonInfo {
    const char* name;
    const char* hint;
    const char* picture;
    int width;
};

ButtonInfo buttonInfo(int bitBtn)
{
    switch (bitBtn) {
    case 1:
        return {"BitBtn1", "Zoom in", "zoom-in", 27};
    case 2:
        return {"BitBtn2", "Zoom out", "zoom-out", 27};
    case 3:
        return {"BitBtn3", "Normal size", "normal-size", 25};
    default:
        return {"BitBtn4", "Clear wave", "clear-wave", 25};
    }
}

QToolButton* button(int bitBtn, QWidget* parent)
{
    const ButtonInfo info = buttonInfo(bitBtn);
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(info.name));
    button->setToolTip(QLatin1String(info.hint));
    button->setIcon(waveButtonIcon(bitBtn));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(info.width, 21);
    return button;
}

} // namespace

QIcon waveButtonIcon(int bitBtn)
{
    return builtIcon(QStringLiteral(":/waveform/") + QLatin1String(buttonInfo(bitBtn).picture),
                     {16, 32});
}

WaveControls createWaveControls(WaveformView& view, QWidget* parent)
{
    WaveControls controls;
    controls.zoomIn = button(1, parent);
    controls.zoomOut = button(2, parent);
    controls.normalSize = button(3, parent);
    controls.clearWave = button(4, parent);
    QObject::connect(controls.zoomIn, &QToolButton::clicked, &view, &WaveformView::zoomIn);
    QObject::connect(controls.zoomOut, &QToolButton::clicked, &view, &WaveformView::zoomOut);
    QObject::connect(controls.normalSize, &QToolButton::clicked, &view, &WaveformView::normalSize);
    QObject::connect(controls.clearWave, &QToolButton::clicked, &view, &WaveformView::ClearWave);

    controls.showTime = new QCheckBox(QStringLiteral("Show time"), parent);
    controls.showTime->setObjectName(QStringLiteral("CheckBox9"));
    // 73 pixels hold the caption in the window's own font; a wider fallback font gets room.
    controls.showTime->resize(std::max(73, controls.showTime->sizeHint().width()), 17);
    QObject::connect(controls.showTime, &QCheckBox::clicked, &view, &WaveformView::setShowTime);
    return controls;
}

} // namespace qlv
