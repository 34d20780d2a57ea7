#include "serialcomm.h"

#include "devicemessages.h"

#include <core/prompter.h>

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <grp.h>
#include <sys/stat.h>

namespace qlv {

SerialComm::SerialComm(Prompter& prompter, std::unique_ptr<ByteStream> stream, PortMap ports)
    : m_prompter(prompter)
    , m_stream(std::move(stream))
    , m_ports(std::move(ports))
{
}

QString permissionHint(const QString& path, int error)
{
    if (error != EACCES && error != EPERM)
        return {};
    struct stat info {};
    const group* owner = nullptr;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        owner = ::getgrgid(info.st_gid);
    if (!owner)
        return QStringLiteral("To open %1 the user must be in the group that owns it (usually "
                              "dialout).")
            .arg(path);
    const QString groupName = QString::fromLocal8Bit(owner->gr_name);
    return QStringLiteral("To open %1 the user must be in the group \"%2\" that owns it: "
                          "sudo usermod -aG %2 $USER, then log in again.")
        .arg(path, groupName);
}

QString openFailureDetail(const QString& path, const OpenFailure& failure)
{
    if (path.isEmpty())
        return QStringLiteral("No port is chosen.");
    QString detail = failure.reason.isEmpty() ? path : path + QStringLiteral(": ") + failure.reason;
    const QString hint = permissionHint(path, failure.error);
    if (!hint.isEmpty())
        detail += u'\n' + hint;
    return detail;
}

bool SerialComm::OpenComm(const QString& name)
{
    const QString path = m_ports.devicePath(name);
    // A reopen is how the rate changes: the old rate's bytes must be out first.
    if (m_stream->isOpen())
        m_stream->drain();
    switch (m_stream->open(path, iBaudrate)) {
    case OpenResult::Opened:
        return true;
    case OpenResult::OpenFailed:
        m_prompter.tell({NoticeKind::PortError, QLatin1String(msg::OpenErrorTitle),
                         QLatin1String(msg::OpenErrorText),
                         openFailureDetail(path, m_stream->openFailure())});
        return false;
    case OpenResult::SetFailed:
        m_prompter.tell({NoticeKind::PortError, QLatin1String(msg::SetErrorTitle),
                         QLatin1String(msg::SetErrorText),
                         openFailureDetail(path, m_stream->openFailure())});
        return false;
    }
    return false;
}

void SerialComm::CloseComm()
{
    if (m_stream->isOpen())
        m_stream->drain();
    m_stream->close();
}

bool SerialComm::WriteComm(std::span<const std::uint8_t> bytes)
{
    if (m_stream->write(bytes))
        return true;
    OpenComm(sCommName);
    return m_stream->write(bytes);
}

bool SerialComm::WriteControl(std::uint8_t byte)
{
    return m_stream->write(std::span(&byte, 1));
}

void SerialComm::PollStatus()
{
    cs.cbInQue = std::uint32_t(std::max<std::int64_t>(m_stream->bytesWaiting(), 0));
}

bool SerialComm::ReadComm(std::uint8_t* buffer, std::uint32_t count, int seconds)
{
    PollStatus();
    // Handlers run once per read even when the bytes are there already: that is where a
    // progress window's Cancel takes effect during a fast transfer.
    QCoreApplication::processEvents();
    PollStatus();
    if (cs.cbInQue < count) {
        m_stream->waitForBytes(count, seconds * 1000);
        PollStatus();
        if (cs.cbInQue < count)
            return false;
    }
    const QByteArray bytes = m_stream->read(count);
    nBytesRead = std::uint32_t(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer);
    return true;
}

std::span<const std::uint8_t> SerialComm::readWaiting(std::uint32_t max)
{
    const QByteArray bytes = m_stream->read(std::min(cs.cbInQue, max));
    nBytesRead = std::uint32_t(bytes.size());
    std::copy(bytes.begin(), bytes.end(), inbuff.begin());
    return std::span(inbuff.data(), nBytesRead);
}

void SerialComm::ClearInput()
{
    m_stream->clearInput();
}

} // namespace qlv
