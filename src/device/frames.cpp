#include "frames.h"

#include <algorithm>
#include <string_view>

namespace qlv {

namespace {

Frame framed(std::uint8_t address, std::string_view keyword)
{
    Frame frame;
    frame.reserve(keyword.size() + 3);
    frame.push_back(FrameStart);
    frame.push_back(address);
    for (const char c : keyword)
        frame.push_back(std::uint8_t(c));
    frame.push_back(FrameEnd);
    return frame;
}

bool sameBytes(std::span<const std::uint8_t> a, const Frame& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

} // namespace

QStringList deviceIdEntries()
{
    return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
            QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("A"), QStringLiteral("B"),
            QStringLiteral("C"), QStringLiteral("E"), QStringLiteral("F")};
}

std::optional<std::uint8_t> deviceIdOf(const QString& entry)
{
    const qsizetype position = deviceIdEntries().indexOf(entry.toUpper());
    if (position < 0)
        return std::nullopt;
    return std::uint8_t(position);
}

Frame downloadAllFrame(std::uint8_t deviceId)
{
    return framed(deviceId, "DOWNLOADALL");
}

Frame uploadAllFrame(std::uint8_t deviceId)
{
    return framed(deviceId, "UPLOADALL");
}

Frame learnFrame(std::uint8_t deviceId, std::uint8_t learnTime, std::uint8_t irFormat)
{
    Frame frame = framed(deviceId, "LEARNtf000");
    frame[7] = learnTime;
    frame[8] = irFormat;
    return frame;
}

Frame escFrame()
{
    return framed(0x00, "ESC");
}

Frame sendFrame(std::uint8_t deviceId, std::uint8_t irPortMask)
{
    Frame frame = framed(deviceId, "C.lh000");
    frame[3] = 0x00;
    frame[4] = irPortMask & 0x0F;
    frame[5] = irPortMask >> 4;
    return frame;
}

Frame stopFrame(std::uint8_t deviceId)
{
    return {FrameStart, deviceId, 0x43, 0x00, 0xA0, 0xAA, 0x00, 0x00, 0x00, FrameEnd};
}

std::optional<DeviceCommand> parseFrame(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 6 || frame.front() != FrameStart || frame.back() != FrameEnd)
        return std::nullopt;
    const std::uint8_t id = frame[1];
    if (sameBytes(frame, downloadAllFrame(id)))
        return DeviceCommand{DeviceCommand::DownloadAll, id};
    if (sameBytes(frame, uploadAllFrame(id)))
        return DeviceCommand{DeviceCommand::UploadAll, id};
    if (sameBytes(frame, escFrame()))
        return DeviceCommand{DeviceCommand::Esc, id};
    if (sameBytes(frame, stopFrame(id)))
        return DeviceCommand{DeviceCommand::Stop, id};
    if (frame.size() == 13 && sameBytes(frame, learnFrame(id, frame[7], frame[8])))
        return DeviceCommand{DeviceCommand::Learn, id, frame[7], frame[8]};
    if (frame.size() == 10 && frame[4] <= 0x0F && frame[5] <= 0x0F) {
        const auto mask = std::uint8_t(frame[4] | frame[5] << 4);
        if (sameBytes(frame, sendFrame(id, mask)))
            return DeviceCommand{DeviceCommand::Send, id, 0, 0, mask};
    }
    return std::nullopt;
}

} // namespace qlv
