// The far end of a pseudo-terminal, standing in for the K-817T: a script runs on its own
// thread against the master side while the program under test opens the slave with the real
// serial port code. Every byte the script reads is kept for the test to compare.
#pragma once

#include <pty/pseudoterminal.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <span>
#include <thread>

namespace qlv::test {

class PtyPeer;

// What a script can do on the line; all calls block the peer's thread only.
class PeerLine {
public:
    // n bytes, or fewer when nothing more came within timeoutMs.
    QByteArray read(int n, int timeoutMs = 5000);
    // One frame: bytes up to and including 0xEF.
    QByteArray readFrame(int timeoutMs = 5000);
    // True when no byte arrives for ms; a byte that does arrive is kept as received.
    bool quietFor(int ms);
    void write(const QByteArray& bytes);
    void write(std::span<const std::uint8_t> bytes);
    void sleep(int ms);
    // The line rate the program has set, from the slave's settings.
    int rate() const;
    // Waits until the program has switched the line to rate; false after timeoutMs.
    bool waitForRate(int rate, int timeoutMs = 5000);
    // Closes both ends the peer holds: the slave's path vanishes as a pulled adapter does.
    void hangUp();
    // Runs fn on the test's thread, from the program's event loop (its waits run one).
    void onMain(std::function<void()> fn);
    // A finding for the test to assert on, such as slot data arriving at the wrong rate.
    void note(const QString& text);

private:
    friend class PtyPeer;
    explicit PeerLine(PtyPeer& peer)
        : m_peer(peer)
    {
    }
    PtyPeer& m_peer;
};

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool isValid() const { return m_pty.isValid(); }
    const QString& slavePath() const { return m_pty.slavePath(); }

    void start(std::function<void(PeerLine&)> script);
    // Waits for the script to end; false when it is still running after timeoutMs.
    bool finish(int timeoutMs = 15000);

    QByteArray received() const;
    QStringList notes() const;
    // The slave's settings as "9600 8N1".
    QString lineMode() const;

private:
    friend class PeerLine;
    void closeAll();

    qlv::pty::PseudoTerminal m_pty;
    std::thread m_thread;
    std::future<void> m_done;
    mutable std::mutex m_mutex;
    QByteArray m_received;
    QStringList m_notes;
};

// The bytes of a frame or a record, for comparing with what the peer received.
QByteArray bytes(std::span<const std::uint8_t> data);

} // namespace qlv::test
