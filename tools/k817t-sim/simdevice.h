// The K-817T's side of every sequence QLV runs: bulk download and upload of the 512-slot
// EEPROM, learn with a code after a delay, send and stop; and the faults to test against.
#pragma once

#include "simline.h"

#include <device/frames.h>

#include <QString>

#include <optional>

namespace k817t {

inline constexpr int Never = -1;

struct SimOptions {
    QString eepromFile;      // the EEPROM lives in this file; empty: in memory only
    bool busy = false;       // answer every send with "B"
    bool mute = false;       // answer no send
    bool silent = false;     // answer nothing at all: a line without a device
    int stopAckAt = Never;   // from this slot on, acknowledge (download) or send (upload) no more
    int closeAt = Never;     // close the line while this slot is on its way
    int shortAt = Never;     // upload: this slot comes 300 bytes short
    int lateMs = 0;          // answer this much late ...
    int lateAt = Never;      // ... only at this slot of a transfer (Never: every answer)
    int learnDelayMs = 1500; // from the LEARN acknowledgement to the learned code
    int flipAt = Never;      // download: one byte of this slot is stored wrong
    int presses = 1;         // learns in a row that bring the same key
    bool noisy = false;      // learned codes come with jitter ...
    bool noisyBad = false;   // ... and every second one with a wrong bit
    bool quiet = false;      // no log on stderr
};

class SimDevice {
public:
    SimDevice(SimLine& line, SimOptions options);

    // False when the EEPROM file exists but is not an image of 512 slots.
    bool loadEeprom(QString* error);
    // Answers until a stop is asked for or the line was closed by a fault.
    void run();

private:
    void log(const QString& text) const;
    void late(int slot);
    void ack();
    void download();
    void upload();
    void learn(const qlv::DeviceCommand& command);
    void send(const qlv::DeviceCommand& command);
    void sendLearnedCode();
    void saveEeprom();
    std::optional<QByteArray> readFrame(int timeoutMs);
    bool closeLineAt(int slot);

    SimLine& m_line;
    SimOptions m_options;
    QByteArray m_eeprom;
    QByteArray m_partialFrame;
    std::optional<Clock::time_point> m_learnDue;
    int m_learnFormat = 1;
    int m_codesLearned = 0;
    bool m_closed = false;
};

} // namespace k817t
