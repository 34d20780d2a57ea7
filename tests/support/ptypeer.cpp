#include "ptypeer.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qlv::test {

namespace {

int rateOf(speed_t speed)
{
    switch (speed) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return -1;
    }
}

} // namespace

QByteArray bytes(std::span<const std::uint8_t> data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

PtyPeer::PtyPeer()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        closeAll();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Holding the slave open keeps the line's settings between the program's reopens, and raw
    // from the start, so nothing is echoed before the program has opened it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0) {
        closeAll();
        return;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
}

PtyPeer::~PtyPeer()
{
    if (m_thread.joinable())
        m_thread.join();
    closeAll();
}

void PtyPeer::closeAll()
{
    std::lock_guard lock(m_mutex);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

void PtyPeer::start(std::function<void(PeerLine&)> script)
{
    std::packaged_task<void()> task([this, script = std::move(script)] {
        PeerLine line(*this);
        script(line);
    });
    m_done = task.get_future();
    m_thread = std::thread(std::move(task));
}

bool PtyPeer::finish(int timeoutMs)
{
    if (!m_thread.joinable())
        return true;
    if (m_done.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return false;
    m_thread.join();
    return true;
}

QByteArray PtyPeer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

QStringList PtyPeer::notes() const
{
    std::lock_guard lock(m_mutex);
    return m_notes;
}

QString PtyPeer::lineMode() const
{
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return {};
    const int bits = (tio.c_cflag & CSIZE) == CS8   ? 8
                     : (tio.c_cflag & CSIZE) == CS7 ? 7
                     : (tio.c_cflag & CSIZE) == CS6 ? 6
                                                    : 5;
    const char parity = !(tio.c_cflag & PARENB) ? 'N' : (tio.c_cflag & PARODD) ? 'O' : 'E';
    return QStringLiteral("%1 %2%3%4")
        .arg(rateOf(::cfgetospeed(&tio)))
        .arg(bits)
        .arg(QLatin1Char(parity))
        .arg(tio.c_cflag & CSTOPB ? 2 : 1);
}

QByteArray PeerLine::read(int n, int timeoutMs)
{
    QByteArray got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || m_peer.m_master < 0)
            break;
        pollfd fd{m_peer.m_master, POLLIN, 0};
        if (::poll(&fd, 1, int(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count =
            ::read(m_peer.m_master, buffer, std::min<std::size_t>(sizeof buffer, n - got.size()));
        if (count <= 0) {
            // The slave side is closed for a moment while the program reopens the port.
            ::usleep(1000);
            continue;
        }
        got.append(buffer, count);
    }
    std::lock_guard lock(m_peer.m_mutex);
    m_peer.m_received += got;
    return got;
}

QByteArray PeerLine::readFrame(int timeoutMs)
{
    QByteArray frame;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!frame.endsWith('\xEF')) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        const QByteArray byte = read(1, int(left));
        if (byte.isEmpty())
            break;
        frame += byte;
    }
    return frame;
}

bool PeerLine::quietFor(int ms)
{
    return read(1, ms).isEmpty();
}

void PeerLine::write(const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size() && m_peer.m_master >= 0) {
        const ssize_t count = ::write(m_peer.m_master, data.constData() + done, data.size() - done);
        if (count <= 0)
            return;
        done += count;
    }
}

void PeerLine::write(std::span<const std::uint8_t> data)
{
    write(bytes(data));
}

void PeerLine::sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int PeerLine::rate() const
{
    termios tio{};
    if (m_peer.m_slave < 0 || ::tcgetattr(m_peer.m_slave, &tio) != 0)
        return -1;
    return rateOf(::cfgetospeed(&tio));
}

bool PeerLine::waitForRate(int wanted, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (rate() != wanted) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        sleep(1);
    }
    return true;
}

void PeerLine::hangUp()
{
    m_peer.closeAll();
}

void PeerLine::onMain(std::function<void()> fn)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void PeerLine::note(const QString& text)
{
    std::lock_guard lock(m_peer.m_mutex);
    m_peer.m_notes << text;
}

} // namespace qlv::test
