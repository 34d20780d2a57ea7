// The view's five controls beside the scroll box, made ready to be placed by the window.
#pragma once

#include <QIcon>

class QCheckBox;
class QToolButton;
class QWidget;

namespace qlv {

class WaveformView;

// Our own pictures of the four buttons, by button number: 1 "Zoom in", 2 "Zoom out",
// 3 "Normal size", 4 "Clear wave".
QIcon waveButtonIcon(int bitBtn);

struct WaveControls {
    QToolButton* zoomIn = nullptr;     // BitBtn1
    QToolButton* zoomOut = nullptr;    // BitBtn2
    QToolButton* normalSize = nullptr; // BitBtn3
    QToolButton* clearWave = nullptr;  // BitBtn4
    QCheckBox* showTime = nullptr;     // CheckBox9
};

// Children of parent, each with its objectName, hint, picture and size, connected to the
// view's handlers; the caller places them.
WaveControls createWaveControls(WaveformView& view, QWidget* parent);

} // namespace qlv
