// What the device sequences need of a line to the K-817T. The serial backend implements it for
// the program; the trace decorator wraps it, and nothing else talks to the port.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <span>

namespace qlv {

enum class OpenResult { Opened, OpenFailed, SetFailed };

// Why the last open failed, for the message that names the device.
struct OpenFailure {
    int error = 0;  // the system's error number; 0 when the system gave none
    QString reason; // in the system's words
};

class ByteStream {
public:
    virtual ~ByteStream();

    // Opens path exclusively for reading and writing at rate bit/s, 8 data bits, no parity, one
    // stop bit; an open stream is closed first.
    virtual OpenResult open(const QString& path, std::int32_t rate) = 0;
    virtual void close() = 0;
    // Waits until everything written has physically left the line, not only the program's
    // buffers; a change of rate or a close before that would garble the tail of a frame.
    virtual void drain() = 0;
    virtual OpenFailure openFailure() const = 0;
    // False as well once the line was lost (an adapter pulled, the other end gone).
    virtual bool isOpen() const = 0;

    // Hands all bytes to the line and waits until they are gone; false when the line failed.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Received bytes waiting to be read, without waiting for more.
    virtual std::int64_t bytesWaiting() = 0;
    virtual QByteArray read(std::int64_t count) = 0;
    // Discards what has been received and not read; pending output is kept.
    virtual void clearInput() = 0;
    // Until at least count bytes wait, msecs pass (negative: no limit), the line is lost or
    // interruptWait() is called. Sleeps in a nested event loop, so the program stays alive.
    // True when count bytes wait.
    virtual bool waitForBytes(std::int64_t count, int msecs) = 0;
    // Ends the innermost waitForBytes early, from a handler that runs while it waits.
    virtual void interruptWait() = 0;
};

// The QSerialPort backend.
std::unique_ptr<ByteStream> makeSerialStream();

} // namespace qlv
