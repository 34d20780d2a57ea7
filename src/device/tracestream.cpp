#include "tracestream.h"

namespace qlv {

namespace {

// Long transfers would make unreadable lines; 32 bytes a line match the hex text files.
constexpr qsizetype BytesPerLine = 32;

} // namespace

TraceStream::TraceStream(std::unique_ptr<ByteStream> inner)
    : m_inner(std::move(inner))
{
    m_clock.start();
}

void TraceStream::line(const QString& what)
{
    const double ms = double(m_clock.nsecsElapsed()) / 1e6;
    m_text += QStringLiteral("%1 %2\n").arg(ms, 10, 'f', 3).arg(what).toUtf8();
}

void TraceStream::bytesLine(char direction, const QByteArray& bytes, const char* note)
{
    if (bytes.isEmpty())
        return;
    for (qsizetype from = 0; from < bytes.size(); from += BytesPerLine) {
        QString text = QString::fromLatin1(QByteArray(1, direction) + ' ' +
                                           bytes.mid(from, BytesPerLine).toHex(' ').toUpper());
        if (note && from == 0)
            text += QStringLiteral("  (%1)").arg(QLatin1String(note));
        line(text);
    }
}

OpenResult TraceStream::open(const QString& path, std::int32_t rate)
{
    const OpenResult result = m_inner->open(path, rate);
    const char* outcome = result == OpenResult::Opened      ? "opened"
                          : result == OpenResult::SetFailed ? "settings refused"
                                                            : "failed";
    QString text =
        QStringLiteral("open %1 at %2 bit/s: %3").arg(path).arg(rate).arg(QLatin1String(outcome));
    if (result != OpenResult::Opened && !m_inner->openFailure().reason.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_inner->openFailure().reason);
    line(text);
    return result;
}

void TraceStream::close()
{
    m_inner->close();
    line(QStringLiteral("close"));
}

void TraceStream::drain()
{
    m_inner->drain();
    line(QStringLiteral("drained"));
}

bool TraceStream::write(std::span<const std::uint8_t> bytes)
{
    const bool written = m_inner->write(bytes);
    bytesLine('>', QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
              written ? nullptr : "write failed");
    return written;
}

QByteArray TraceStream::read(std::int64_t count)
{
    QByteArray bytes = m_inner->read(count);
    bytesLine('<', bytes);
    return bytes;
}

void TraceStream::clearInput()
{
    const std::int64_t waiting = m_inner->bytesWaiting();
    if (waiting > 0)
        bytesLine('<', m_inner->read(waiting), "discarded");
    m_inner->clearInput();
}

bool TraceStream::waitForBytes(std::int64_t count, int msecs)
{
    const bool arrived = m_inner->waitForBytes(count, msecs);
    if (!arrived)
        line(QStringLiteral("wait for %1 bytes ended with %2 waiting")
                 .arg(count)
                 .arg(m_inner->bytesWaiting()));
    return arrived;
}

} // namespace qlv
