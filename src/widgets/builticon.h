// Icons rendered from SVG at build time into the resources as STEM-SIZE.png. A size is read
// when it is first drawn, not when the icon is made: a start decodes only what it shows.
#pragma once

#include <QIcon>
#include <QList>
#include <QString>

namespace qlv {

// stem as ":/icons/edit-copy"; sizes those the build rendered, in pixels.
QIcon builtIcon(const QString& stem, const QList<int>& sizes);

} // namespace qlv
