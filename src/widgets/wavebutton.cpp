#include "wavebutton.h"

namespace qlv {

namespace {

QImage drawWaveButton(WaveButton which)
{
    const bool current = which == WaveButton::Current;
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QColor shadow(132, 132, 132);
    const QColor face = current ? QColor(0, 0, 0) : QColor(198, 198, 198);
    const QColor wave = current ? QColor(255, 255, 0) : QColor(255, 255, 255);

    // A raised button: light top and left edge, the face, the grey shadow right and below.
    for (int x = 0; x <= 20; ++x)
        image.setPixelColor(x, 0, Qt::white);
    for (int y = 0; y <= 14; ++y)
        image.setPixelColor(0, y, Qt::white);
    for (int y = 1; y <= 14; ++y)
        for (int x = 1; x <= 20; ++x)
            image.setPixelColor(x, y, face);
    for (int y = 0; y <= 15; ++y)
        image.setPixelColor(21, y, shadow);
    for (int x = 0; x <= 21; ++x)
        image.setPixelColor(x, 15, shadow);

    // Two square pulses between rows 4 (high) and 10 (low).
    auto hline = [&](int x0, int x1, int y) {
        for (int x = x0; x <= x1; ++x)
            image.setPixelColor(x, y, wave);
    };
    auto vline = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            image.setPixelColor(x, y, wave);
    };
    hline(3, 5, 10);
    vline(5, 4, 10);
    hline(5, 8, 4);
    vline(8, 4, 10);
    hline(8, 11, 10);
    vline(11, 4, 10);
    hline(11, 14, 4);
    vline(14, 4, 10);
    hline(14, 18, 10);
    return image;
}

} // namespace

const QImage& waveButtonImage(WaveButton which)
{
    static const QImage plain = drawWaveButton(WaveButton::Plain);
    static const QImage current = drawWaveButton(WaveButton::Current);
    return which == WaveButton::Current ? current : plain;
}

} // namespace qlv
