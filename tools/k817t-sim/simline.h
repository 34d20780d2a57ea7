// The device's end of a pseudo-terminal. With pacing, bytes take the time they would take on a
// real line at the rate the program has set (10 bits a byte).
#pragma once

#include <pty/pseudoterminal.h>

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace k817t {

using Clock = std::chrono::steady_clock;

class SimLine {
public:
    SimLine();
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    bool isValid() const { return m_pty.isValid(); }
    const QString& slavePath() const { return m_pty.slavePath(); }
    void setPaced(bool paced) { m_paced = paced; }

    // The rate the program has set on its side.
    int rate() const;
    bool waitForRate(int rate, int timeoutMs);

    // Up to n bytes, fewer when the line stays quiet for timeoutMs (negative: no limit) or a
    // stop was asked for. With pacing the call returns when the last byte would have arrived.
    QByteArray read(int n, int timeoutMs);
    std::optional<std::uint8_t> readByte(int timeoutMs);
    void write(const QByteArray& bytes);
    // Closes both ends: the program's port vanishes.
    void hangUp();

    static void requestStop();
    static bool stopRequested();

private:
    std::chrono::nanoseconds lineTime(qsizetype bytes) const;

    qlv::pty::PseudoTerminal m_pty;
    bool m_paced = false;
    Clock::time_point m_sendFree{};
};

} // namespace k817t
