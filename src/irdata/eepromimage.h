// The device's code memory as one flat file: 512 slots of 512 bytes, no header.
#pragma once

#include "coderecord.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qlv {

inline constexpr std::size_t SlotCount = 512;
inline constexpr std::size_t ImageSize = SlotCount * RecordSize; // 262144

// One slot as compiled: the stored bytes (at most 512) padded with 0xFF.
// A null value gives a slot of 0xFF like an empty one.
void appendSlot(std::vector<std::uint8_t>& image, std::span<const std::uint8_t> stored);

// Slot n of an image of exactly ImageSize bytes, with the import rule for byte 255.
CodeRecord imageSlot(std::span<const std::uint8_t> image, std::size_t n);

} // namespace qlv
