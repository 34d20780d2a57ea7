#include "wholefile.h"
#include "projectmessages.h"

#include "cleanuponsignal.h"
#include <core/storeerror.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlv {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

int openNewTemporary(const QString& folder, const QString& name, int mode, QString& chosen)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString suffix =
            QString::number(QRandomGenerator::global()->generate() & 0xFFFFFF, 36)
                .rightJustified(6, u'0');
        chosen = folder + QStringLiteral("/.") + name + u'.' + suffix;
        const int fd =
            ::open(encoded(chosen).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

} // namespace

QString resolvedWriteTarget(const QString& path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return QDir::cleanPath(target);
}

PendingFile::PendingFile(const QString& path)
    : m_path(path)
    , m_target(resolvedWriteTarget(path))
{
    const QFileInfo target(m_target);
    struct stat existing {};
    m_replacing = ::stat(encoded(m_target).constData(), &existing) == 0;
    if (m_replacing && !S_ISREG(existing.st_mode))
        fail(QStringLiteral("it is not a regular file"));
    // A new file is created 0666 and the umask applies; a replaced one keeps its mode.
    const int createMode = m_replacing ? 0600 : 0666;
    const int fd =
        openNewTemporary(target.absolutePath(), target.fileName(), createMode, m_temporary);
    if (fd < 0) {
        const int error = errno;
        m_temporary.clear();
        fail(systemReason(error));
    }
    m_guard = std::make_unique<CleanupGuard>(m_temporary);
    // SQLite may keep a rollback journal beside a file it builds.
    m_journalGuard = std::make_unique<CleanupGuard>(m_temporary + QStringLiteral("-journal"));
    if (m_replacing) {
        m_mode = int(existing.st_mode & 07777);
        m_owner = existing.st_uid;
        m_group = existing.st_gid;
        if (::fchmod(fd, mode_t(m_mode)) != 0) {
            const int error = errno;
            ::close(fd);
            fail(systemReason(error));
        }
        // Only root may give a file away; for others this keeps the group where it can.
        [[maybe_unused]] const int owned = ::fchown(fd, m_owner, m_group);
    }
    ::close(fd);
}

PendingFile::~PendingFile()
{
    if (!m_done && !m_temporary.isEmpty()) {
        ::unlink(encoded(m_temporary).constData());
        ::unlink(encoded(m_temporary + QStringLiteral("-journal")).constData());
    }
}

void PendingFile::fail(const QString& reason)
{
    if (!m_temporary.isEmpty()) {
        ::unlink(encoded(m_temporary).constData());
        m_temporary.clear();
    }
    throw StoreError(
        QString::fromLatin1(CannotWriteText).arg(QDir::toNativeSeparators(m_path), reason));
}

void PendingFile::commit(const QByteArray& bytes)
{
    const int fd = ::open(encoded(m_temporary).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        fail(systemReason(errno));
    if (!writeAll(fd, bytes.constData(), std::size_t(bytes.size()))) {
        const int error = errno;
        ::close(fd);
        fail(systemReason(error));
    }
    if (::close(fd) != 0)
        fail(systemReason(errno));
    putInPlace();
}

void PendingFile::commitAsWritten()
{
    putInPlace();
}

void PendingFile::putInPlace()
{
    const int fd = ::open(encoded(m_temporary).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(systemReason(errno));
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(systemReason(error));
    }
    ::close(fd);
    if (::rename(encoded(m_temporary).constData(), encoded(m_target).constData()) != 0)
        fail(systemReason(errno));
    m_done = true;
    // The rename itself is durable only once the folder is.
    const QString folder = QFileInfo(m_target).absolutePath();
    const int dir = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return;
    const int synced = ::fsync(dir);
    const int error = errno;
    ::close(dir);
    if (synced != 0 && error != EINVAL)
        throw StoreError(QStringLiteral("Cannot write %1: the folder %2 could not be synced: %3")
                             .arg(QDir::toNativeSeparators(m_path),
                                  QDir::toNativeSeparators(folder), systemReason(error)));
}

void writeFileWhole(const QString& path, const QByteArray& bytes)
{
    PendingFile(path).commit(bytes);
}

void buildFileWhole(const QString& path, const std::function<void(const QString&)>& build)
{
    PendingFile file(path);
    build(file.temporaryPath());
    file.commitAsWritten();
}

} // namespace qlv
