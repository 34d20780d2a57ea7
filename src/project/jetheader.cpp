#include "jetheader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlv {

JetHeader jetHeaderOf(QByteArrayView firstBytes)
{
    if (firstBytes.size() < JetHeaderSize || firstBytes.sliced(4, 15) != "Standard Jet DB")
        return JetHeader::None;
    switch (firstBytes.at(0x14)) {
    case 0:
        return JetHeader::Jet3;
    case 1:
        return JetHeader::Jet4;
    default:
        return JetHeader::Unknown;
    }
}

JetHeader readJetHeader(const QString& path)
{
    // Only a regular file can be a database; opening a FIFO to look would block.
    if (!QFileInfo(path).isFile())
        return JetHeader::None;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JetHeader::None;
    return jetHeaderOf(file.read(JetHeaderSize));
}

QString jetHeaderProblem(const QString& path, JetHeader header)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (header) {
    case JetHeader::Jet3:
        return QStringLiteral("%1 is a Jet 3 database (Access 97 or older); only Jet 4 project "
                              "files (Access 2000) can be read.")
            .arg(name);
    case JetHeader::Unknown:
        return QStringLiteral("%1 is a Jet database of an unknown version; only Jet 4 project "
                              "files (Access 2000) can be read.")
            .arg(name);
    case JetHeader::None:
    case JetHeader::Jet4:
        break;
    }
    return {};
}

} // namespace qlv
