#include "progress.h"

#include "console.h"

#include <device/devicelink.h>

#include <cstdio>

#include <unistd.h>

namespace qlv::cli {

namespace {

constexpr int SlotCount = 512;

} // namespace

TerminalProgress::TerminalProgress(DeviceLink& link)
    : m_active(::isatty(STDERR_FILENO) == 1 && !quiet())
{
    if (!m_active)
        return;
    QObject::connect(&link, &DeviceLink::progressShown, [this](const QString& label) {
        m_label = label;
        m_clock.start();
        show(-1);
    });
    QObject::connect(&link, &DeviceLink::progressChanged, [this](int slot) { show(slot); });
    QObject::connect(&link, &DeviceLink::progressHidden, [this] { end(); });
}

TerminalProgress::~TerminalProgress()
{
    end();
}

QString TerminalProgress::line(const QString& label, int slot, qint64 elapsedMs)
{
    const int done = slot + 1;
    QString text = QStringLiteral("%1 slot %2 of %3, %4%")
                       .arg(label)
                       .arg(done)
                       .arg(SlotCount)
                       .arg(done * 100 / SlotCount);
    if (done > 0 && done < SlotCount) {
        const qint64 leftS = (elapsedMs * (SlotCount - done) / done + 999) / 1000;
        text += QStringLiteral(", %1:%2 left").arg(leftS / 60).arg(leftS % 60, 2, 10, QChar(u'0'));
    }
    return text;
}

void TerminalProgress::show(int slot)
{
    // Carriage return and erase to the end: the line is rewritten in place.
    const QByteArray bytes = "\r" + line(m_label, slot, m_clock.elapsed()).toUtf8() + "\033[K";
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
    m_shown = true;
}

void TerminalProgress::end()
{
    if (!m_shown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}

} // namespace qlv::cli
