// Line splitting and number reading shared by the parsers; nothing here allocates per byte.
#pragma once

#include "interchange.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlv::interchange {

struct TextLine {
    int number = 0;
    std::string_view text; // without its line end
};

// LF, CRLF and lone CR all end a line; a UTF-8 byte-order mark is skipped.
std::vector<TextLine> splitLines(std::string_view text);

std::string_view trim(std::string_view text);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string lowerAscii(std::string_view text);

// Whitespace-separated tokens (space, tab, and the extra separators given).
std::vector<std::string_view> tokens(std::string_view text, std::string_view extra = {});

// Decimal digits only, at most max.
std::optional<std::uint64_t> parseDecimal(std::string_view text, std::uint64_t max);
// Decimal, or hexadecimal with 0x; at most max.
std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t max);
std::optional<std::int64_t> parseSigned(std::string_view text, std::int64_t min, std::int64_t max);
std::optional<unsigned> parseHexDigits(std::string_view text); // exactly 1-8 hex digits

// A text longer than MaxInputBytes gets a result of its one error; a readable one nothing.
std::optional<ParseResult> refuseOversized(std::string_view text);

// write(name, signal) for each code, then for its toggled half, if any, as name + "_T".
template <class Write> void writeEachSignal(const std::vector<ExportCode>& codes, Write&& write)
{
    for (const ExportCode& code : codes) {
        write(code.name, code.signal);
        if (code.toggled)
            write(code.name + "_T", *code.toggled);
    }
}

// Quotes a file's word for a message, cut short when long: 'abc'.
std::string quoted(std::string_view text);

} // namespace qlv::interchange
