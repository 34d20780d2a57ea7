#include "ptypeer.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qlv::test {

QByteArray bytes(std::span<const std::uint8_t> data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

PtyPeer::PtyPeer() = default;

PtyPeer::~PtyPeer()
{
    if (m_thread.joinable())
        m_thread.join();
    closeAll();
}

void PtyPeer::closeAll()
{
    std::lock_guard lock(m_mutex);
    m_pty.close();
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
    if (!m_pty.slaveSettings(tio))
        return {};
    const int bits = (tio.c_cflag & CSIZE) == CS8   ? 8
                     : (tio.c_cflag & CSIZE) == CS7 ? 7
                     : (tio.c_cflag & CSIZE) == CS6 ? 6
                                                    : 5;
    const char parity = !(tio.c_cflag & PARENB) ? 'N' : (tio.c_cflag & PARODD) ? 'O' : 'E';
    return QStringLiteral("%1 %2%3%4")
        .arg(pty::rateOf(::cfgetospeed(&tio)))
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
        if (left <= 0 || m_peer.m_pty.master() < 0)
            break;
        pollfd fd{m_peer.m_pty.master(), POLLIN, 0};
        if (::poll(&fd, 1, int(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::read(m_peer.m_pty.master(), buffer,
                                     std::min<std::size_t>(sizeof buffer, n - got.size()));
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
    while (done < data.size() && m_peer.m_pty.master() >= 0) {
        const ssize_t count =
            ::write(m_peer.m_pty.master(), data.constData() + done, data.size() - done);
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
    return m_peer.m_pty.rate();
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
