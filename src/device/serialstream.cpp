// The line through QSerialPort. Its own buffer fills only when the event loop runs or when we
// pull, so every count of waiting bytes pulls what the system holds first.
#include "bytestream.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace qlv {

namespace {

class SerialStream final : public ByteStream {
public:
    SerialStream();
    ~SerialStream() override;

    OpenResult open(const QString& path, std::int32_t rate) override;
    void close() override;
    void drain() override;
    OpenFailure openFailure() const override { return m_failure; }
    bool isOpen() const override { return m_port.isOpen() && !m_lost; }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::int64_t bytesWaiting() override;
    QByteArray read(std::int64_t count) override;
    void clearInput() override;
    bool waitForBytes(std::int64_t count, int msecs) override;
    void interruptWait() override;

private:
    void pull();
    void closeLost();
    void fail(const QString& path);

    QSerialPort m_port;
    // Set when the device is gone; the port is closed soon after, not inside QSerialPort's own
    // notification.
    bool m_lost = false;
    QEventLoop* m_wait = nullptr;
    std::int32_t m_rate = 9600;
    OpenFailure m_failure;
};

SerialStream::SerialStream()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        // A pulled adapter reads as an I/O error, a hung-up line as a read of nothing; either
        // way the port keeps signalling until it is closed.
        if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError)
            return;
        m_lost = true;
        if (m_wait)
            m_wait->quit();
        QTimer::singleShot(0, &m_port, [this] { closeLost(); });
    });
}

SerialStream::~SerialStream()
{
    close();
}

void SerialStream::closeLost()
{
    if (m_lost && m_port.isOpen())
        m_port.close();
}

void SerialStream::fail(const QString& path)
{
    // Qt folds several causes into one error code, and a missing device can read as a busy
    // lock file; the access check names the system's reason without opening the device again.
    const int error = ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 ? errno : 0;
    m_failure.error = error;
    m_failure.reason =
        error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : m_port.errorString();
}

OpenResult SerialStream::open(const QString& path, std::int32_t rate)
{
    close();
    m_port.clearError();
    m_failure = {};
    if (path.isEmpty())
        return OpenResult::OpenFailed;
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        fail(path);
        return OpenResult::OpenFailed;
    }
    if (!m_port.setBaudRate(rate) || !m_port.setDataBits(QSerialPort::Data8) ||
        !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop)) {
        fail(path);
        m_port.close();
        return OpenResult::SetFailed;
    }
    m_rate = rate;
    return OpenResult::Opened;
}

void SerialStream::close()
{
    // Closing restores the settings the port had before, at once: the line's last bytes
    // would go out at that rate.
    drain();
    m_lost = false;
    if (m_port.isOpen())
        m_port.close();
}

void SerialStream::drain()
{
    closeLost();
    if (!isOpen())
        return;
    while (m_port.bytesToWrite() > 0 && m_port.waitForBytesWritten(1000)) {
    }
    const int fd = int(m_port.handle());
    while (::tcdrain(fd) != 0 && errno == EINTR) {
    }
}

bool SerialStream::write(std::span<const std::uint8_t> bytes)
{
    closeLost();
    if (!isOpen())
        return false;
    if (bytes.empty())
        return true;
    const auto size = qint64(bytes.size());
    if (m_port.write(reinterpret_cast<const char*>(bytes.data()), size) != size)
        return false;
    // Twice the line time and a second to spare: a line that takes nothing for that long has
    // failed, and the caller reopens it.
    const qint64 lineMs = size * 10 * 1000 / std::max(m_rate, 1);
    const QDeadlineTimer deadline(2 * lineMs + 1000);
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(int(deadline.remainingTime())) || !isOpen())
            return m_port.bytesToWrite() == 0 && isOpen();
    }
    return isOpen();
}

void SerialStream::pull()
{
    // Ask the system first, so that an empty queue costs no time-out error from Qt.
    int queued = 0;
    if (m_port.isOpen() && ::ioctl(int(m_port.handle()), FIONREAD, &queued) == 0 && queued > 0)
        m_port.waitForReadyRead(0);
}

std::int64_t SerialStream::bytesWaiting()
{
    pull();
    return m_port.bytesAvailable();
}

QByteArray SerialStream::read(std::int64_t count)
{
    pull();
    return m_port.read(count);
}

void SerialStream::clearInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

bool SerialStream::waitForBytes(std::int64_t count, int msecs)
{
    if (bytesWaiting() >= count)
        return true;
    closeLost();
    if (!isOpen())
        return false;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_port, &QSerialPort::readyRead, &loop, [&] {
        if (m_port.bytesAvailable() >= count)
            loop.quit();
    });
    if (msecs >= 0)
        timer.start(msecs);
    QEventLoop* outer = std::exchange(m_wait, &loop);
    loop.exec();
    m_wait = outer;
    return bytesWaiting() >= count;
}

void SerialStream::interruptWait()
{
    if (m_wait)
        m_wait->quit();
}

} // namespace

std::unique_ptr<ByteStream> makeSerialStream()
{
    return std::make_unique<SerialStream>();
}

} // namespace qlv
