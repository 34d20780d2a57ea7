// A stream that records every byte that passes it, for qlvtool --trace: one line an event,
// milliseconds since the trace began, ">" for bytes sent and "<" for bytes received.
#pragma once

#include "bytestream.h"

#include <QElapsedTimer>

namespace qlv {

class TraceStream final : public ByteStream {
public:
    explicit TraceStream(std::unique_ptr<ByteStream> inner);

    OpenResult open(const QString& path, std::int32_t rate) override;
    void close() override;
    void drain() override;
    OpenFailure openFailure() const override { return m_inner->openFailure(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::int64_t bytesWaiting() override { return m_inner->bytesWaiting(); }
    QByteArray read(std::int64_t count) override;
    // Reads what waits before it is cleared, so discarded bytes show in the trace too.
    void clearInput() override;
    bool waitForBytes(std::int64_t count, int msecs) override;
    void interruptWait() override { m_inner->interruptWait(); }

    // The lines so far, ready to be written as a whole file.
    const QByteArray& text() const { return m_text; }

private:
    void line(const QString& what);
    void bytesLine(char direction, const QByteArray& bytes, const char* note = nullptr);

    std::unique_ptr<ByteStream> m_inner;
    QElapsedTimer m_clock;
    QByteArray m_text;
};

} // namespace qlv
