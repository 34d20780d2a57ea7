#include "serialcomm.h"

#include "devicemessages.h"

#include <project/prompter.h>

#include <QCoreApplication>

#include <algorithm>

namespace qlv {

SerialComm::SerialComm(Prompter& prompter, std::unique_ptr<ByteStream> stream, PortMap ports)
    : m_prompter(prompter)
    , m_stream(std::move(stream))
    , m_ports(std::move(ports))
{
}

bool SerialComm::OpenComm(const QString& name)
{
    // A reopen is how the rate changes: the old rate's bytes must be out first.
    if (m_stream->isOpen())
        m_stream->drain();
    switch (m_stream->open(m_ports.devicePath(name), iBaudrate)) {
    case OpenResult::Opened:
        return true;
    case OpenResult::OpenFailed:
        m_prompter.titledNotice(QLatin1String(msg::OpenErrorTitle),
                                QLatin1String(msg::OpenErrorText));
        return false;
    case OpenResult::SetFailed:
        m_prompter.titledNotice(QLatin1String(msg::SetErrorTitle),
                                QLatin1String(msg::SetErrorText));
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
    if (m_stream->write(bytes)) {
        lrc = std::uint32_t(bytes.size());
        return true;
    }
    lrc = 0;
    OpenComm(sCommName);
    if (!m_stream->write(bytes))
        return false;
    lrc = std::uint32_t(bytes.size());
    return true;
}

bool SerialComm::WriteControl(std::uint8_t byte)
{
    return m_stream->write(std::span(&byte, 1));
}

void SerialComm::PollStatus()
{
    dwError = 0;
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

void SerialComm::ClearInput()
{
    m_stream->clearInput();
}

} // namespace qlv
