// The program's fonts, each in one place: the window's, the small dialogs', the hex editor's
// and the waveform's lettering.
#pragma once

#include <QFont>
#include <QStringList>

namespace qlv {

// The main window and the IR data dialog: SimSun at 12 pixels, or the nearest CJK face.
inline QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(12);
    return font;
}

// The key dialogs (Function, Remark, Go to).
inline QFont dialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(11);
    return font;
}

inline QFont hexEditorFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei Mono"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

inline QFont waveFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif"),
                      QStringLiteral("Nimbus Roman"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(11);
    return font;
}

} // namespace qlv
