#include "wholefile.h"

#include "storeerror.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qlv {

namespace {

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void writeFileWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw StoreError(cannotWrite(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw StoreError(cannotWrite(path, file.errorString()));
}

void buildFileWhole(const QString& path, const std::function<void(const QString&)>& build)
{
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    if (!temp.open())
        throw StoreError(cannotWrite(path, temp.errorString()));
    temp.close();
    build(temp.fileName());
    syncFile(temp.fileName());
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw StoreError(cannotWrite(path, QString::fromLocal8Bit(std::strerror(errno))));
    temp.setAutoRemove(false);
}

} // namespace qlv
