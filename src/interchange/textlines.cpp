#include "textlines.h"

#include "interchange.h"

#include <irdata/hexdigit.h>

#include <algorithm>

namespace qlv::interchange {

std::string Diagnostic::text() const
{
    if (line <= 0)
        return message;
    return "line " + std::to_string(line) + ": " + message;
}

std::vector<TextLine> splitLines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<TextLine> lines;
    int number = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.push_back({number++, text.substr(start, i - start)});
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back({number, text.substr(start)});
    return lines;
}

std::string_view trim(std::string_view text)
{
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\f' || c == '\v';
    };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

static char lowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerChar(x) == lowerChar(y);
           });
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerChar(c);
    return out;
}

std::vector<std::string_view> tokens(std::string_view text, std::string_view extra)
{
    std::vector<std::string_view> out;
    const auto isSeparator = [&](char c) {
        return c == ' ' || c == '\t' || c == '\f' || c == '\v' ||
               extra.find(c) != std::string_view::npos;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isSeparator(text[i]))
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

std::optional<std::uint64_t> parseDecimal(std::string_view text, std::uint64_t max)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t max)
{
    if (!startsWithNoCase(text, "0x"))
        return parseDecimal(text, max);
    text.remove_prefix(2);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(static_cast<unsigned char>(c));
        if (digit < 0 || value > (max - static_cast<unsigned>(digit)) / 16)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

std::optional<std::int64_t> parseSigned(std::string_view text, std::int64_t min, std::int64_t max)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto magnitude = parseDecimal(text, 1ull << 62);
    if (!magnitude)
        return std::nullopt;
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<unsigned> parseHexDigits(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(static_cast<unsigned char>(c));
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

std::string quoted(std::string_view text)
{
    constexpr std::size_t MaxShown = 40;
    std::string out = "'";
    for (char c : text.substr(0, MaxShown))
        out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    if (text.size() > MaxShown)
        out += "...";
    return out + "'";
}

std::optional<ParseResult> refuseOversized(std::string_view text)
{
    if (text.size() <= MaxInputBytes)
        return std::nullopt;
    ParseResult result;
    result.errors.push_back({0, "the file is larger than 16 MiB"});
    return result;
}

} // namespace qlv::interchange
