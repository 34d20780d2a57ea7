#include "simline.h"

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace k817t {

namespace {

std::atomic<bool> g_stop{false};

int rateOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
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
        return 9600;
    }
}

} // namespace

void SimLine::requestStop()
{
    g_stop = true;
}

bool SimLine::stopRequested()
{
    return g_stop;
}

SimLine::SimLine()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        hangUp();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Our own hold on the slave keeps the line raw and its settings alive while the program
    // closes and reopens it to change the rate.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0) {
        hangUp();
        return;
    }
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(m_slave, TCSANOW, &tio);
}

SimLine::~SimLine()
{
    hangUp();
}

void SimLine::hangUp()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

int SimLine::rate() const
{
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 9600;
    return rateOf(::cfgetospeed(&tio));
}

bool SimLine::waitForRate(int wanted, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (rate() != wanted) {
        if (Clock::now() >= deadline || g_stop)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::chrono::nanoseconds SimLine::lineTime(qsizetype bytes) const
{
    return std::chrono::nanoseconds(std::int64_t(bytes) * 10 * 1'000'000'000 / rate());
}

QByteArray SimLine::read(int n, int timeoutMs)
{
    QByteArray got;
    Clock::time_point firstArrival{};
    while (got.size() < n && m_master >= 0 && !g_stop) {
        pollfd fd{m_master, POLLIN, 0};
        const int ready = ::poll(&fd, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (ready < 0)
            continue; // a signal: look at the stop flag
        if (ready == 0)
            break;
        char buffer[4096];
        const ssize_t count =
            ::read(m_master, buffer, std::min<std::size_t>(sizeof buffer, n - got.size()));
        if (count <= 0) {
            // No program on the other end at the moment (it closes the port to change rate).
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (got.isEmpty())
            firstArrival = Clock::now();
        got.append(buffer, count);
    }
    // The first byte was complete when it arrived; the rest follow at the line's pace.
    if (m_paced && got.size() > 1)
        std::this_thread::sleep_until(firstArrival + lineTime(got.size() - 1));
    return got;
}

std::optional<std::uint8_t> SimLine::readByte(int timeoutMs)
{
    const QByteArray byte = read(1, timeoutMs);
    if (byte.isEmpty())
        return std::nullopt;
    return std::uint8_t(byte.at(0));
}

void SimLine::write(const QByteArray& bytes)
{
    if (m_paced) {
        // Sent back to back, bytes leave one after another; the last one is complete at end.
        const Clock::time_point start = std::max(Clock::now(), m_sendFree);
        m_sendFree = start + lineTime(bytes.size());
        std::this_thread::sleep_until(m_sendFree);
    }
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0) {
        const ssize_t count = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (count <= 0)
            return;
        done += count;
    }
}

} // namespace k817t
