// A transfer's progress on a terminal: one line on stderr that is rewritten as slots go, with
// the slot, the percentage and the time left. Nothing at all when stderr is not a terminal or
// --quiet was given, so logs and pipes get only the messages.
#pragma once

#include <QElapsedTimer>
#include <QString>

namespace qlv {
class DeviceLink;
}

namespace qlv::cli {

class TerminalProgress {
public:
    explicit TerminalProgress(DeviceLink& link);
    ~TerminalProgress();

    // The line for slot (0 ... 511 just finished) after elapsedMs of the transfer.
    static QString line(const QString& label, int slot, qint64 elapsedMs);

private:
    void show(int slot);
    void end();

    bool m_active = false;
    bool m_shown = false;
    QString m_label;
    QElapsedTimer m_clock;
};

} // namespace qlv::cli
