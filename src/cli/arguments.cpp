#include "arguments.h"

#include "errors.h"

#include <project/filenames.h>
#include <project/regularfile.h>

#include <QDir>
#include <QFileInfo>

namespace qlv::cli {

int parseSlotId(const QString& text)
{
    // Decimal digits only: "0x10" or "+3" would be a guess at what the user meant.
    bool digitsOnly = !text.isEmpty();
    for (QChar c : text)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    bool fits = false;
    const int id = text.toInt(&fits);
    if (!digitsOnly || !fits || id < 1 || id > 512)
        throw UsageError{
            QStringLiteral("ID must be a key slot number from 1 to 512, not \"%1\".").arg(text)};
    return id;
}

QString inputFile(const QString& name, const QString& ext)
{
    QString found = name;
    if (!QFileInfo::exists(found)) {
        found = withExtension(name, ext);
        if (!QFileInfo::exists(found))
            throw Failure{QStringLiteral("%1: no such file.").arg(QDir::toNativeSeparators(found))};
    }
    // A FIFO or a device would block the command or never end.
    checkRegularFile(found);
    return found;
}

} // namespace qlv::cli
