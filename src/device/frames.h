// The commands to the K-817T: 0xE0, the device address, a fixed payload, 0xEF. No length field
// and no checksum; each frame is built fresh from its template for every use.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qlv {

using Frame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t FrameStart = 0xE0;
inline constexpr std::uint8_t FrameEnd = 0xEF;

// Sent alone after each slot of a bulk transfer.
inline constexpr std::uint8_t ControlContinue = 0x55; // "U"
inline constexpr std::uint8_t ControlStop = 0x43;     // "C"

// The answers to the send frame.
inline constexpr std::uint8_t SendGo = 0x41;   // "A"
inline constexpr std::uint8_t SendBusy = 0x42; // "B"

inline constexpr std::int32_t CommandRate = 9600;
inline constexpr std::int32_t TransferRate = 115200;

// The ID chooser's entries; the DeviceId is the position, so "E" is 13 and "F" is 14.
QStringList deviceIdEntries();
// The position of an entry ("0" ... "C", "E", "F", any case), or nothing.
std::optional<std::uint8_t> deviceIdOf(const QString& entry);

Frame downloadAllFrame(std::uint8_t deviceId);
Frame uploadAllFrame(std::uint8_t deviceId);
Frame learnFrame(std::uint8_t deviceId, std::uint8_t learnTime, std::uint8_t irFormat);
// Always addressed to 0, whatever DeviceId is chosen.
Frame escFrame();
// Ports 0-3 in the low nibble at offset 4, ports 4-7 at offset 5.
Frame sendFrame(std::uint8_t deviceId, std::uint8_t irPortMask);
Frame stopFrame(std::uint8_t deviceId);

// A frame as the device reads it.
struct DeviceCommand {
    enum Kind { DownloadAll, UploadAll, Learn, Esc, Send, Stop } kind;
    std::uint8_t deviceId = 0;
    std::uint8_t learnTime = 0;
    std::uint8_t irFormat = 0;
    std::uint8_t irPortMask = 0;
};
// Nothing for bytes that are not one of the six frames.
std::optional<DeviceCommand> parseFrame(std::span<const std::uint8_t> frame);

} // namespace qlv
