#include "projecttemplate.h"

#include <QFile>

namespace qlv {

std::optional<QByteArray> readProjectTemplate()
{
    QFile resource(QString::fromLatin1(ProjectTemplatePath));
    if (!resource.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = resource.readAll();
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

} // namespace qlv
