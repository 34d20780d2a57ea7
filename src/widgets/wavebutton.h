// The wave buttons of the "ID" cells: 32 x 32 pictures of which only the 22 x 16 top-left
// corner is drawn, the rest transparent.
#pragma once

#include <QImage>

namespace qlv {

enum class WaveButton { Plain = 11, Current = 10 };

inline constexpr int WaveButtonWidth = 22;
inline constexpr int WaveButtonHeight = 16;

const QImage& waveButtonImage(WaveButton which);

} // namespace qlv
