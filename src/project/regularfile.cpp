#include "regularfile.h"

#include <core/storeerror.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlv {

namespace {

[[noreturn]] void cannotOpen(const QString& path, const QString& reason)
{
    throw StoreError(
        QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

QString notRegular()
{
    return QStringLiteral("it is not a regular file");
}

} // namespace

void checkRegularFile(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        cannotOpen(path, notRegular());
}

QByteArray readRegularFile(const QString& path, qint64 maxBytes)
{
    // Opened without blocking and checked on the descriptor, so a FIFO put in the file's place
    // after a check by name cannot hang the read either.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        cannotOpen(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        cannotOpen(path, notRegular());
    }
    QByteArray bytes;
    const qint64 wanted = maxBytes + 1;
    bytes.resize(qsizetype(std::min<qint64>(wanted, std::max<qint64>(info.st_size, 0) + 1)));
    qint64 got = 0;
    while (got < wanted) {
        if (got == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(wanted, bytes.size() * 2 + 4096)));
        const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw StoreError(QStringLiteral("Cannot read %1: %2")
                                 .arg(QDir::toNativeSeparators(path),
                                      QString::fromLocal8Bit(std::strerror(error))));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.resize(qsizetype(got));
    return bytes;
}

} // namespace qlv
