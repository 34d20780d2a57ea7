#include "simdevice.h"

#include "ircodes.h"

#include <core/storeerror.h>
#include <irdata/eepromimage.h>
#include <project/wholefile.h>

#include <QFile>

#include <cstdio>
#include <thread>

namespace k817t {

namespace {

constexpr char Ack = 0x06;
// How long the device waits for the next block of a transfer before it gives up on it.
constexpr int BlockTimeoutMs = 5000;
constexpr int BodyTimeoutMs = 2000;
constexpr int ShortSlotBytes = 300;
// A byte of the first code's timing pairs, so the flipped slot sends another code.
constexpr int FlippedByte = 20;

QByteArray blockBytes(const qlv::CodeBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

} // namespace

SimDevice::SimDevice(SimLine& line, SimOptions options)
    : m_line(line)
    , m_options(std::move(options))
    , m_eeprom(qsizetype(qlv::ImageSize), '\xFF')
{
}

bool SimDevice::loadEeprom(QString* error)
{
    if (m_options.eepromFile.isEmpty() || !QFile::exists(m_options.eepromFile))
        return true;
    QFile file(m_options.eepromFile);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_options.eepromFile, file.errorString());
        return false;
    }
    const QByteArray image = file.read(qint64(qlv::ImageSize) + 1);
    if (image.size() != qsizetype(qlv::ImageSize)) {
        *error = QStringLiteral("%1 is no EEPROM image: %2 bytes, expected %3")
                     .arg(m_options.eepromFile)
                     .arg(file.size())
                     .arg(qlv::ImageSize);
        return false;
    }
    m_eeprom = image;
    return true;
}

void SimDevice::saveEeprom()
{
    if (m_options.eepromFile.isEmpty())
        return;
    try {
        qlv::writeFileWhole(m_options.eepromFile, m_eeprom);
    } catch (const qlv::StoreError& error) {
        log(error.text());
    }
}

void SimDevice::log(const QString& text) const
{
    if (!m_options.quiet)
        std::fprintf(stderr, "k817t-sim: %s\n", qPrintable(text));
}

void SimDevice::late(int slot)
{
    if (m_options.lateMs > 0 && (m_options.lateAt == Never || m_options.lateAt == slot))
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.lateMs));
}

void SimDevice::ack()
{
    m_line.write(QByteArray(1, Ack));
}

bool SimDevice::closeLineAt(int slot)
{
    if (slot != m_options.closeAt)
        return false;
    log(QStringLiteral("closing the line at slot %1").arg(slot));
    m_line.hangUp();
    m_closed = true;
    return true;
}

std::optional<QByteArray> SimDevice::readFrame(int timeoutMs)
{
    // Bytes outside a frame (the tail of an abandoned transfer) are skipped up to the next 0xE0.
    for (;;) {
        const std::optional<std::uint8_t> byte = m_line.readByte(timeoutMs);
        if (!byte)
            return std::nullopt;
        if (m_partialFrame.isEmpty() && *byte != qlv::FrameStart)
            continue;
        m_partialFrame += char(*byte);
        if (*byte == qlv::FrameEnd) {
            const QByteArray frame = m_partialFrame;
            m_partialFrame.clear();
            return frame;
        }
        if (m_partialFrame.size() > 16)
            m_partialFrame.clear();
    }
}

void SimDevice::run()
{
    log(QStringLiteral("listening on %1").arg(m_line.slavePath()));
    while (!m_closed && !SimLine::stopRequested()) {
        int timeout = -1;
        if (m_learnDue) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*m_learnDue - Clock::now());
            timeout = int(std::max<std::int64_t>(left.count(), 0));
        }
        const std::optional<QByteArray> frame = readFrame(timeout);
        if (!frame) {
            if (m_learnDue && Clock::now() >= *m_learnDue)
                sendLearnedCode();
            continue;
        }
        const std::optional<qlv::DeviceCommand> command = qlv::parseFrame(std::span(
            reinterpret_cast<const std::uint8_t*>(frame->constData()), std::size_t(frame->size())));
        if (!command) {
            log(QStringLiteral("unknown frame %1").arg(QString::fromLatin1(frame->toHex(' '))));
            continue;
        }
        if (m_options.silent && command->kind != qlv::DeviceCommand::Esc) {
            log(QStringLiteral("silent: frame %1 left unanswered")
                    .arg(QString::fromLatin1(frame->toHex(' '))));
            continue;
        }
        switch (command->kind) {
        case qlv::DeviceCommand::DownloadAll:
            download();
            break;
        case qlv::DeviceCommand::UploadAll:
            upload();
            break;
        case qlv::DeviceCommand::Learn:
            learn(*command);
            break;
        case qlv::DeviceCommand::Esc:
            if (m_learnDue)
                log(QStringLiteral("ESC: learning abandoned"));
            m_learnDue.reset();
            break;
        case qlv::DeviceCommand::Send:
            send(*command);
            break;
        case qlv::DeviceCommand::Stop:
            m_line.write(QByteArray("\x06\x00\x00\x00", 4));
            log(QStringLiteral("stop"));
            break;
        }
    }
}

void SimDevice::download()
{
    log(QStringLiteral("DOWNLOADALL"));
    int slot = 0;
    bool warnedRate = false;
    for (; slot < int(qlv::SlotCount); ++slot) {
        QByteArray data;
        bool answered = true;
        for (int half = 0; half < 2 && answered; ++half) {
            const QByteArray part = m_line.read(256, BlockTimeoutMs);
            data += part;
            // Gone while the slot is on its way, as an adapter pulled mid-transfer.
            if (half == 0 && closeLineAt(slot)) {
                answered = false;
                break;
            }
            if (part.size() != 256) {
                log(QStringLiteral("slot %1 came short (%2 bytes); download abandoned")
                        .arg(slot)
                        .arg(part.size()));
                answered = false;
            } else if (slot >= m_options.stopAckAt && m_options.stopAckAt != Never) {
                log(QStringLiteral("not acknowledging slot %1").arg(slot));
                answered = false;
            } else {
                if (!warnedRate && m_line.rate() != qlv::TransferRate) {
                    log(QStringLiteral("slot data at %1 bit/s").arg(m_line.rate()));
                    warnedRate = true;
                }
                late(slot);
                ack();
            }
        }
        if (!answered)
            break;
        if (slot == m_options.flipAt) {
            data[FlippedByte] = char(data.at(FlippedByte) ^ 0x10);
            log(QStringLiteral("slot %1 stored with byte %2 wrong").arg(slot).arg(FlippedByte));
        }
        m_eeprom.replace(slot * 512, 512, data);
        const std::optional<std::uint8_t> control = m_line.readByte(BlockTimeoutMs);
        if (control != qlv::ControlContinue) {
            log(control == qlv::ControlStop
                    ? QStringLiteral("stopped by the program after slot %1").arg(slot)
                    : QStringLiteral("no control byte after slot %1").arg(slot));
            ++slot;
            break;
        }
    }
    if (slot == int(qlv::SlotCount))
        log(QStringLiteral("512 slots stored"));
    saveEeprom();
}

void SimDevice::upload()
{
    log(QStringLiteral("UPLOADALL"));
    // The device answers at 115200 bit/s; a byte sent before the program has switched would
    // reach it garbled.
    m_line.waitForRate(qlv::TransferRate, 1000);
    late(Never);
    ack();
    int slot = 0;
    for (; slot < int(qlv::SlotCount); ++slot) {
        if (closeLineAt(slot))
            return;
        if (slot == m_options.stopAckAt) {
            log(QStringLiteral("sending no more from slot %1").arg(slot));
            return;
        }
        const QByteArray data = m_eeprom.mid(slot * 512, 512);
        if (slot == m_options.shortAt) {
            m_line.write(data.left(ShortSlotBytes));
            log(QStringLiteral("slot %1 sent short").arg(slot));
            return;
        }
        late(slot);
        m_line.write(data);
        const std::optional<std::uint8_t> control = m_line.readByte(BlockTimeoutMs);
        if (control != qlv::ControlContinue) {
            log(control == qlv::ControlStop
                    ? QStringLiteral("stopped by the program after slot %1").arg(slot)
                    : QStringLiteral("no control byte after slot %1").arg(slot));
            return;
        }
    }
    log(QStringLiteral("512 slots sent"));
}

void SimDevice::learn(const qlv::DeviceCommand& command)
{
    late(Never);
    ack();
    m_learnFormat = command.irFormat == 2 ? 2 : 1;
    m_learnDue = Clock::now() + std::chrono::milliseconds(m_options.learnDelayMs);
    log(QStringLiteral("LEARN %1s, format %2").arg(command.learnTime).arg(command.irFormat));
}

void SimDevice::sendLearnedCode()
{
    m_learnDue.reset();
    // Each learn (or each run of --presses learns) brings another key, so rows learned one
    // after another differ.
    const int capture = m_codesLearned++;
    const auto key = std::uint8_t(0x10 + capture / std::max(m_options.presses, 1) % 0x30);
    Capture noise;
    if (m_options.noisy || m_options.noisyBad)
        noise.jitterSeed = std::uint32_t(capture + 1);
    noise.wrongBit = m_options.noisyBad && capture % 2 == 1;
    const QString how = noise.wrongBit ? QStringLiteral(", one bit wrong") : QString();
    if (m_learnFormat == 2) {
        const auto [first, second] = rc5Pair(0x00, key, noise);
        m_line.write(blockBytes(first) + blockBytes(second));
        log(QStringLiteral("learned RC5 key %1, toggle 0 and 1%2").arg(key).arg(how));
    } else {
        m_line.write(blockBytes(necBlock(0x04, key, noise)));
        log(QStringLiteral("learned NEC key %1%2").arg(key).arg(how));
    }
}

void SimDevice::send(const qlv::DeviceCommand& command)
{
    if (m_options.mute) {
        log(QStringLiteral("send left unanswered"));
        return;
    }
    if (m_options.busy) {
        m_line.write("B");
        log(QStringLiteral("send refused: busy"));
        return;
    }
    late(Never);
    m_line.write("A");
    const QByteArray body = m_line.read(int(qlv::BlockSize), BodyTimeoutMs);
    log(QStringLiteral("sending %1 bytes of code through ports %2")
            .arg(body.size())
            .arg(command.irPortMask, 2, 16, QLatin1Char('0')));
}

} // namespace k817t
