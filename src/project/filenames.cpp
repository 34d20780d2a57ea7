#include "filenames.h"

#include <QFileInfo>

namespace qlv {

bool hasExtension(const QString& name, const QString& ext)
{
    // The extension is what follows the last dot of the file name, not of a folder.
    const QString fileName = QFileInfo(name).fileName();
    return fileName.endsWith(ext, Qt::CaseInsensitive);
}

QString withExtension(const QString& name, const QString& ext)
{
    return hasExtension(name, ext) ? name : name + ext;
}

} // namespace qlv
