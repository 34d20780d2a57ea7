// Pronto Hex (CCF): long forms 0000/0100 both ways, the short protocol forms read only.
#include "interchange.h"
#include "textlines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qlv::interchange {

namespace {

constexpr double ProntoUnit = 0.241246; // µs per unit of frequency code 1

bool isHexWord(std::string_view token)
{
    return token.size() == 4 && parseHexDigits(token).has_value();
}

std::string hex4(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFFu);
    return buffer;
}

ProtocolCode protocolCode(std::string protocol,
                          std::initializer_list<std::pair<const char*, unsigned>> values)
{
    ProtocolCode code{std::move(protocol), {}};
    for (const auto& [name, value] : values)
        code.parameters.push_back({name, static_cast<std::int64_t>(value)});
    return code;
}

// Word 1 of a short form, its payload words; nothing but the checks of each form.
std::variant<ProtocolCode, std::string> shortForm(unsigned type, const std::vector<unsigned>& words)
{
    const std::size_t payload = words.size() - 4;
    const auto outOfRange = [](const char* what, unsigned value, unsigned max) {
        return std::string(what) + " " + std::to_string(value) + " is out of range 0-" +
               std::to_string(max);
    };
    switch (type) {
    case 0x5000:
    case 0x6000: {
        if (payload != 2 || words[2] + words[3] != 1)
            return std::string("erroneous Pronto Hex lengths");
        const unsigned device = words[4];
        const unsigned function = words[5];
        const bool rc5 = type == 0x5000;
        if (device > (rc5 ? 31u : 255u))
            return outOfRange("device", device, rc5 ? 31 : 255);
        if (function > (rc5 ? 127u : 255u))
            return outOfRange("function", function, rc5 ? 127 : 255);
        return protocolCode(rc5 ? "RC5" : "RC6", {{"D", device}, {"F", function}});
    }
    case 0x5001: {
        if (payload != 4 || words[2] + words[3] != 2)
            return std::string("erroneous Pronto Hex lengths");
        if (words[4] > 31)
            return outOfRange("device", words[4], 31);
        if (words[5] > 127)
            return outOfRange("subdevice", words[5], 127);
        if (words[6] > 63)
            return outOfRange("function", words[6], 63);
        return protocolCode("RC5x", {{"D", words[4]}, {"S", words[5]}, {"F", words[6]}});
    }
    case 0x900A: {
        if (payload != 2 || words[2] + words[3] != 1)
            return std::string("erroneous Pronto Hex lengths");
        const unsigned function = words[5] >> 8;
        if ((words[5] & 0xFF) != 255 - function)
            return std::string("the 900A checksum is erroneous");
        return protocolCode("NEC1",
                            {{"D", words[4] >> 8}, {"S", words[4] & 0xFF}, {"F", function}});
    }
    default:
        return "Pronto Hex type " + hex4(type) + " is not supported";
    }
}

// A long-form code's words as a signal, or what is wrong with them.
std::variant<IrSignal, std::string> longForm(const std::vector<unsigned>& words)
{
    const unsigned frequencyCode = words[1];
    if (frequencyCode == 0)
        return std::string("frequency code 0000 is invalid");
    const std::size_t introPairs = words[2];
    const std::size_t repeatPairs = words[3];
    const std::size_t pairs = (words.size() - 4) / 2;
    if (introPairs + repeatPairs != pairs)
        return "inconsistent length: it claims " + std::to_string(introPairs + repeatPairs) +
               " pairs and holds " + std::to_string(pairs);
    if (pairs * 2 > MaxDurations)
        return "more than " + std::to_string(MaxDurations) + " durations";
    const double unit = frequencyCode * ProntoUnit;
    IrSignal signal;
    signal.frequency = words[0] == 0x0100 ? 0 : static_cast<std::uint32_t>(std::lround(1e6 / unit));
    for (std::size_t i = 4; i < words.size(); ++i) {
        if (words[i] == 0)
            return "word " + std::to_string(i + 1) + " is a zero duration";
        const auto us = static_cast<std::uint32_t>(std::lround(words[i] * unit));
        (i - 4 < introPairs * 2 ? signal.intro : signal.repeat).push_back(std::max(us, 1u));
    }
    return signal;
}

} // namespace

ParseResult parsePronto(std::string_view text)
{
    if (std::optional<ParseResult> refused = refuseOversized(text))
        return std::move(*refused);
    ParseResult result;
    for (const TextLine& line : splitLines(text)) {
        std::string_view name;
        std::string_view body = line.text;
        if (const auto tab = body.find('\t'); tab != std::string_view::npos) {
            // NAME<TAB>words, and anything after a second tab is a remark
            name = body.substr(0, tab);
            body = body.substr(tab + 1);
            body = body.substr(0, body.find('\t'));
        } else if (const auto colon = body.find(':'); colon != std::string_view::npos) {
            name = body.substr(0, colon);
            body = body.substr(colon + 1);
        }
        const auto words = tokens(body);
        bool anyHex = false;
        for (const auto token : words)
            anyHex = anyHex || isHexWord(token);
        if (!anyHex)
            continue;
        const auto fail = [&](const std::string& message) {
            result.errors.push_back({line.number, message});
        };
        if (result.codes.size() >= MaxCodes) {
            fail("more than " + std::to_string(MaxCodes) + " codes; the rest is not read");
            break;
        }
        if (words.size() > 4 + MaxDurations + 1) {
            fail("more than " + std::to_string(MaxDurations) + " durations");
            continue;
        }
        std::vector<unsigned> values;
        bool bad = false;
        for (std::size_t i = 0; i < words.size() && !bad; ++i) {
            if (!isHexWord(words[i])) {
                fail("word " + std::to_string(i + 1) + " " + quoted(words[i]) +
                     " is not a four-digit hexadecimal number");
                bad = true;
            } else {
                values.push_back(*parseHexDigits(words[i]));
            }
        }
        if (bad)
            continue;
        if (values.size() < 6) {
            fail("a Pronto code needs at least 6 words, this one has " +
                 std::to_string(values.size()));
            continue;
        }
        if (values.size() % 2 != 0) {
            fail("a Pronto code has an even number of words, this one has " +
                 std::to_string(values.size()));
            continue;
        }
        NamedCode code;
        code.name = std::string(trim(name));
        code.line = line.number;
        if (values[0] == 0x0000 || values[0] == 0x0100) {
            auto signal = longForm(values);
            if (auto* message = std::get_if<std::string>(&signal)) {
                fail(*message);
                continue;
            }
            code.code = std::get<IrSignal>(std::move(signal));
        } else {
            auto protocol = shortForm(values[0], values);
            if (auto* message = std::get_if<std::string>(&protocol)) {
                fail(*message);
                continue;
            }
            code.code = std::get<ProtocolCode>(std::move(protocol));
        }
        result.codes.push_back(std::move(code));
    }
    return result;
}

std::string prontoWords(const IrSignal& signal, std::vector<std::string>* warnings)
{
    const unsigned frequencyCode =
        signal.frequency == 0
            ? 0x000A
            : static_cast<unsigned>(std::lround(1e6 / (signal.frequency * ProntoUnit)));
    const unsigned code = std::clamp(frequencyCode, 1u, 0xFFFFu);
    const double unit = code * ProntoUnit;
    bool saturated = false;
    const auto word = [&](std::uint32_t us) {
        long units = std::lround(us / unit);
        if (units > 0xFFFF) {
            units = 0xFFFF;
            saturated = true;
        }
        return hex4(static_cast<unsigned>(std::max(units, 1L)));
    };
    std::string out = signal.frequency == 0 ? "0100" : "0000";
    out += ' ' + hex4(code) + ' ' + hex4(static_cast<unsigned>(signal.intro.size() / 2)) + ' ' +
           hex4(static_cast<unsigned>(signal.repeat.size() / 2));
    for (const IrSequence* sequence : {&signal.intro, &signal.repeat})
        for (std::uint32_t us : *sequence)
            out += ' ' + word(us);
    if (saturated && warnings)
        warnings->push_back("a duration longer than 0xFFFF units was shortened to 0xFFFF");
    return out;
}

static std::string lineName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

WriteResult writePronto(const std::vector<ExportCode>& codes)
{
    WriteResult result;
    const auto writeOne = [&](const std::string& name, const IrSignal& signal) {
        if (signal.intro.size() + signal.repeat.size() < 2 || signal.intro.size() % 2 != 0 ||
            signal.repeat.size() % 2 != 0 || signal.intro.size() / 2 > 0xFFFF ||
            signal.repeat.size() / 2 > 0xFFFF) {
            result.refused.push_back(name + ": the code has no mark/space pairs to write");
            return;
        }
        std::vector<std::string> warnings;
        ++result.count;
        result.text += lineName(name) + '\t' + prontoWords(signal, &warnings) + '\n';
        for (const auto& warning : warnings)
            result.warnings.push_back(name + ": " + warning);
    };
    writeEachSignal(codes, writeOne);
    return result;
}

} // namespace qlv::interchange
