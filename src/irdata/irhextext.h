// A record as hex text: 16 lines of 32 "XX " groups, CR LF after each line.
#pragma once

#include "coderecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qlv {

inline constexpr std::size_t IrHexTextSize = 16 * (32 * 3 + 2); // 1568
// A hex text of 512 values is a few kilobytes; a file larger than this is not one.
inline constexpr std::size_t MaxHexTextFile = 1 << 20;

std::string writeIrHexText(const CodeRecord& record);

struct HexParseResult {
    bool ok = false;
    std::size_t count = 0; // values found, stored or not
    std::string message;   // "Invalid char 'X'" when !ok
};

// text is UTF-8. Values beyond the destination's size are counted but not stored.
HexParseResult ParseHexText(std::string_view text, std::span<std::uint8_t> destination);

} // namespace qlv
