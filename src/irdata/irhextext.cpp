#include "irhextext.h"
#include "hexdigit.h"

namespace qlv {

std::string writeIrHexText(const CodeRecord& record)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(IrHexTextSize);
    for (std::size_t line = 0; line < 16; ++line) {
        for (std::size_t i = 0; i < 32; ++i) {
            const std::uint8_t byte = record[line * 32 + i];
            text += digits[byte >> 4];
            text += digits[byte & 0x0F];
            text += ' ';
        }
        text += "\r\n";
    }
    return text;
}

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\r' || c == '\n';
}

// Only capitals are hex digits in this text.
int hexDigit(char c)
{
    return c >= 'a' && c <= 'f' ? -1 : hexDigitValue(static_cast<unsigned char>(c));
}

// The whole UTF-8 sequence at i, so that the message shows the character and not a fragment.
std::string characterAt(const std::string& s, std::size_t i)
{
    std::size_t end = i + 1;
    if (static_cast<unsigned char>(s[i]) >= 0xC0)
        while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
            ++end;
    return s.substr(i, end - i);
}

std::string invalidChar(const std::string& s, std::size_t i)
{
    return "Invalid char '" + characterAt(s, i) + "'";
}

// Blanks and control characters, as the trim of the text takes them.
bool isTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string normalised(std::string_view text)
{
    std::string upper;
    upper.reserve(text.size());
    for (char c : text)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;

    std::string stripped;
    stripped.reserve(upper.size());
    for (std::size_t i = 0; i < upper.size(); ++i) {
        if (upper[i] == '0' && i + 1 < upper.size() && upper[i + 1] == 'X')
            ++i;
        else
            stripped += upper[i];
    }

    std::size_t first = 0, last = stripped.size();
    while (first < last && isTrimmed(stripped[first]))
        ++first;
    while (last > first && isTrimmed(stripped[last - 1]))
        --last;
    return stripped.substr(first, last - first);
}

} // namespace

HexParseResult ParseHexText(std::string_view text, std::span<std::uint8_t> destination)
{
    const std::string s = normalised(text);
    HexParseResult result;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (isSeparator(c)) {
            ++i;
            continue;
        }
        int value = hexDigit(c);
        if (value < 0) {
            result.message = invalidChar(s, i);
            return result;
        }
        ++i;
        if (i < s.size() && !isSeparator(s[i])) {
            const int low = hexDigit(s[i]);
            if (low < 0) {
                result.message = invalidChar(s, i);
                return result;
            }
            value = value * 16 + low;
            ++i;
        }
        if (result.count < destination.size())
            destination[result.count] = static_cast<std::uint8_t>(value);
        ++result.count;
    }
    result.ok = true;
    return result;
}

} // namespace qlv
