#include "simline.h"

#include <atomic>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace k817t {

namespace {

std::atomic<bool> g_stop{false};

} // namespace

void SimLine::requestStop()
{
    g_stop = true;
}

bool SimLine::stopRequested()
{
    return g_stop;
}

SimLine::SimLine() = default;

SimLine::~SimLine()
{
    hangUp();
}

void SimLine::hangUp()
{
    m_pty.close();
}

int SimLine::rate() const
{
    const int rate = m_pty.rate();
    return rate > 0 ? rate : 9600;
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
    while (got.size() < n && m_pty.master() >= 0 && !g_stop) {
        pollfd fd{m_pty.master(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (ready < 0)
            continue; // a signal: look at the stop flag
        if (ready == 0)
            break;
        char buffer[4096];
        const ssize_t count =
            ::read(m_pty.master(), buffer, std::min<std::size_t>(sizeof buffer, n - got.size()));
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
    while (done < bytes.size() && m_pty.master() >= 0) {
        const ssize_t count =
            ::write(m_pty.master(), bytes.constData() + done, bytes.size() - done);
        if (count <= 0)
            return;
        done += count;
    }
}

} // namespace k817t
