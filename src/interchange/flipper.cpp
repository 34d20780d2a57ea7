// Flipper Zero .ir files: raw and parsed signals, with the firmware's own address/command packing.
#include "interchange.h"
#include "textlines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace qlv::interchange {

namespace {

struct FlipperWidths {
    const char* name;
    unsigned addressBits;
    unsigned commandBits;
};

// The firmware's protocols and the widths its loader checks address and command against.
constexpr std::array<FlipperWidths, 14> FlipperProtocols{{
    {"NEC", 8, 8},
    {"NECext", 16, 16},
    {"NEC42", 13, 8},
    {"NEC42ext", 26, 16},
    {"Samsung32", 8, 8},
    {"RC6", 8, 8},
    {"RC5", 5, 6},
    {"RC5X", 5, 7},
    {"SIRC", 5, 7},
    {"SIRC15", 8, 7},
    {"SIRC20", 13, 7},
    {"Kaseikyo", 26, 10},
    {"RCA", 4, 8},
    {"Pioneer", 8, 8},
}};

const FlipperWidths* flipperProtocol(std::string_view name)
{
    for (const auto& protocol : FlipperProtocols)
        if (name == protocol.name)
            return &protocol;
    return nullptr;
}

unsigned reverseBits(unsigned value, unsigned width)
{
    unsigned out = 0;
    for (unsigned i = 0; i < width; ++i)
        if (value & (1u << i))
            out |= 1u << (width - 1 - i);
    return out;
}

ProtocolCode code(std::string protocol,
                  std::initializer_list<std::pair<const char*, std::uint32_t>> values)
{
    ProtocolCode out{std::move(protocol), {}};
    for (const auto& [name, value] : values)
        out.parameters.push_back({name, static_cast<std::int64_t>(value)});
    return out;
}

std::string hex8(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

std::string hexShort(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

std::optional<std::int64_t> parameter(const DecodedCode& decoded, std::string_view name)
{
    for (const auto& p : decoded.parameters)
        if (p.name == name)
            return p.value;
    return std::nullopt;
}

} // namespace

std::variant<ProtocolCode, std::string> protocolFromFlipper(const FlipperParsed& parsed)
{
    const FlipperWidths* widths = flipperProtocol(parsed.protocol);
    if (!widths)
        return "unknown protocol " + quoted(parsed.protocol);
    const std::uint32_t addressMask = (1u << widths->addressBits) - 1;
    const std::uint32_t commandMask = (1u << widths->commandBits) - 1;
    if (parsed.address & ~addressMask)
        return "address is out of range (mask " + hex8(addressMask) +
               "): " + hexShort(parsed.address);
    if (parsed.command & ~commandMask)
        return "command is out of range (mask " + hex8(commandMask) +
               "): " + hexShort(parsed.command);
    const std::uint32_t a = parsed.address;
    const std::uint32_t c = parsed.command;
    const std::string_view p = parsed.protocol;
    if (p == "NEC")
        return code("NEC1", {{"D", a}, {"S", 255 - a}, {"F", c}});
    if (p == "NECext") {
        const std::uint32_t f = c & 0xFF;
        const std::uint32_t e = c >> 8;
        if (e == 255 - f)
            return code("NEC1", {{"D", a & 0xFF}, {"S", a >> 8}, {"F", f}});
        return code("NEC1-f16", {{"D", a & 0xFF}, {"S", a >> 8}, {"F", f}, {"E", e}});
    }
    if (p == "NEC42")
        return code("Aiwa", {{"D", a & 0xFF}, {"S", a >> 8}, {"F", c}});
    if (p == "NEC42ext")
        return std::string("NEC42ext has no protocol QLV renders");
    if (p == "Samsung32")
        return code("NECx2", {{"D", a}, {"S", a}, {"F", c}});
    if (p == "SIRC")
        return code("Sony12", {{"D", a}, {"F", c}});
    if (p == "SIRC15")
        return code("Sony15", {{"D", a}, {"F", c}});
    if (p == "SIRC20")
        return code("Sony20", {{"D", a & 0x1F}, {"S", a >> 5}, {"F", c}});
    if (p == "RC5")
        return code("RC5", {{"D", a}, {"F", c}});
    if (p == "RC5X")
        return code("RC5", {{"D", a}, {"F", (c & 0x3F) + 64}});
    if (p == "RC6")
        return code("RC6", {{"D", a}, {"F", c}});
    if (p == "RCA")
        return code("RCA-38", {{"D", reverseBits(a, 4)}, {"F", reverseBits(c, 8)}});
    if (p == "Pioneer")
        return code("Pioneer", {{"D", a}, {"S", 255 - a}, {"F", c}});

    // Kaseikyo: rebuild the six frame bytes the firmware would send.
    const std::uint32_t vendor = (a >> 8) & 0xFFFF;
    const std::uint32_t genre1 = (a >> 4) & 0xF;
    const std::uint32_t genre2 = a & 0xF;
    const std::uint32_t id = a >> 24;
    const std::uint32_t b0 = vendor & 0xFF;
    const std::uint32_t b1 = vendor >> 8;
    const std::uint32_t parity = ((b0 ^ b1) & 0xF) ^ ((b0 ^ b1) >> 4);
    const std::uint32_t b2 = parity | genre1 << 4;
    const std::uint32_t b3 = genre2 | (c & 0xF) << 4;
    const std::uint32_t b4 = ((c >> 4) & 0x3F) | id << 6;
    const std::uint32_t b5 = b2 ^ b3 ^ b4;
    if (vendor == 0x2002)
        return code("Panasonic", {{"D", b2}, {"S", b3}, {"F", b4}});
    if (vendor == 0x3254)
        return code("Denon-K", {{"D", genre1}, {"S", genre2}, {"F", c | id << 10}});
    const std::uint32_t e = b5 & 0xF;
    const std::uint32_t checksum = genre1 ^ b3 ^ b4 ^ (e << 4);
    if ((((checksum >> 4) ^ checksum) & 0xF) != b5 >> 4)
        return "Kaseikyo vendor " + hexShort(vendor) + " frame has no IRP Kaseikyo equivalent";
    return code("Kaseikyo", {{"D", genre1}, {"S", b3}, {"F", b4}, {"E", e}, {"M", b0}, {"N", b1}});
}

std::optional<FlipperParsed> flipperFromDecoded(const DecodedCode& decoded)
{
    const std::string& p = decoded.protocol;
    const auto get = [&](std::string_view name) -> std::uint32_t {
        return static_cast<std::uint32_t>(parameter(decoded, name).value_or(0));
    };
    const std::uint32_t d = get("D");
    const std::uint32_t s = get("S");
    const std::uint32_t f = get("F");
    if (p == "NEC1" || p == "NEC2" || p == "NEC") {
        if (s == 255 - d)
            return FlipperParsed{"NEC", d, f};
        return FlipperParsed{"NECext", d | s << 8, f | (255 - f) << 8};
    }
    if (p == "NEC1-f16" || p == "NEC2-f16" || p == "NEC-f16")
        return FlipperParsed{"NECext", d | s << 8, f | get("E") << 8};
    if ((p == "NECx1" || p == "NECx2" || p == "NECx") && s == d)
        return FlipperParsed{"Samsung32", d, f};
    if (p == "Pioneer" && s == 255 - d)
        return FlipperParsed{"Pioneer", d, f};
    if (p == "Aiwa")
        return FlipperParsed{"NEC42", d | s << 8, f};
    if (p == "Sony12")
        return FlipperParsed{"SIRC", d, f};
    if (p == "Sony15")
        return FlipperParsed{"SIRC15", d, f};
    if (p == "Sony20")
        return FlipperParsed{"SIRC20", d | s << 5, f};
    if (p == "RC5")
        return f < 64 ? FlipperParsed{"RC5", d, f} : FlipperParsed{"RC5X", d, f - 64};
    if (p == "RC6")
        return FlipperParsed{"RC6", d, f};
    if (p == "Panasonic" && (d & 0x0F) == 0)
        return FlipperParsed{"Kaseikyo", (f >> 6) << 24 | 0x2002u << 8 | (d & 0xF0) | (s & 0x0F),
                             ((f & 0x3F) << 4) | (s >> 4)};
    if (p == "Denon-K")
        return FlipperParsed{"Kaseikyo", (f >> 10) << 24 | 0x3254u << 8 | d << 4 | s, f & 0x3FF};
    if (p == "Kaseikyo") {
        const std::uint32_t m = get("M");
        const std::uint32_t n = get("N");
        const std::uint32_t e = get("E");
        const std::uint32_t x = (((m ^ n) >> 4) ^ (m ^ n)) & 0xF;
        const std::uint32_t checksum = d ^ s ^ f ^ (e << 4);
        const std::uint32_t b2 = x | d << 4;
        const std::uint32_t b5 = e | (((checksum >> 4) ^ checksum) & 0xF) << 4;
        if (b5 != (b2 ^ s ^ f))
            return std::nullopt;
        return FlipperParsed{"Kaseikyo", (f >> 6) << 24 | (m | n << 8) << 8 | d << 4 | (s & 0xF),
                             (s >> 4) | (f & 0x3F) << 4};
    }
    if (p == "RCA-38")
        return FlipperParsed{"RCA", reverseBits(d, 4), reverseBits(f, 8)};
    return std::nullopt;
}

namespace {

struct PendingSignal {
    std::string name;
    int line = 0;
    bool bad = false;
    std::string type;
    std::optional<std::string> protocol;
    std::optional<std::uint32_t> address, command, frequency;
    std::optional<double> duty;
    std::optional<std::vector<std::uint32_t>> data;
};

std::optional<std::uint32_t> hexBytesLE(std::string_view value)
{
    const auto bytes = tokens(value);
    if (bytes.size() != 4)
        return std::nullopt;
    std::uint32_t out = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (bytes[i].size() != 2)
            return std::nullopt;
        const auto byte = parseHexDigits(bytes[i]);
        if (!byte)
            return std::nullopt;
        out |= *byte << (8 * i);
    }
    return out;
}

std::optional<double> parseDuty(std::string_view value)
{
    // digits, optionally one point and more digits; no exponent, no sign
    if (value.empty() || value.size() > 20)
        return std::nullopt;
    double whole = 0;
    double scale = 0;
    bool digits = false;
    for (char ch : value) {
        if (ch == '.' && scale == 0) {
            scale = 1;
        } else if (ch >= '0' && ch <= '9') {
            digits = true;
            if (scale == 0) {
                whole = whole * 10 + (ch - '0');
            } else {
                scale /= 10;
                whole += (ch - '0') * scale;
            }
        } else {
            return std::nullopt;
        }
    }
    return digits ? std::optional<double>(whole) : std::nullopt;
}

void finish(PendingSignal& pending, ParseResult& result)
{
    if (pending.bad)
        return;
    const auto fail = [&](const std::string& message) {
        result.errors.push_back({pending.line, quoted(pending.name) + ": " + message});
    };
    NamedCode named;
    named.name = pending.name;
    named.line = pending.line;
    if (pending.type == "parsed") {
        if (!pending.protocol || !pending.address || !pending.command)
            return fail("a parsed signal needs 'protocol', 'address' and 'command'");
        auto protocol =
            protocolFromFlipper({*pending.protocol, *pending.address, *pending.command});
        if (auto* message = std::get_if<std::string>(&protocol))
            return fail(*message);
        named.code = std::get<ProtocolCode>(std::move(protocol));
    } else if (pending.type == "raw") {
        if (!pending.frequency || !pending.data)
            return fail("a raw signal needs 'frequency' and 'data'");
        IrSignal signal;
        signal.frequency = *pending.frequency;
        if (pending.duty && *pending.duty < 1)
            signal.dutyCycle = *pending.duty;
        signal.intro = std::move(*pending.data);
        if (signal.intro.size() % 2 != 0)
            signal.intro.push_back(DefaultTrailingGap);
        named.code = std::move(signal);
    } else if (pending.type.empty()) {
        return fail("the signal has no 'type'");
    } else {
        return fail("type " + quoted(pending.type) + " is neither 'parsed' nor 'raw'");
    }
    if (result.codes.size() >= MaxCodes)
        return fail("more than " + std::to_string(MaxCodes) + " signals");
    result.codes.push_back(std::move(named));
}

} // namespace

ParseResult parseFlipper(std::string_view text)
{
    if (std::optional<ParseResult> refused = refuseOversized(text))
        return std::move(*refused);
    ParseResult result;
    std::optional<PendingSignal> pending;
    bool sawFiletype = false;
    for (const TextLine& line : splitLines(text)) {
        const std::string_view content = trim(line.text);
        if (content.empty() || content.front() == '#')
            continue;
        const auto fail = [&](const std::string& message) {
            result.errors.push_back({line.number, message});
            if (pending)
                pending->bad = true;
        };
        const auto colon = content.find(':');
        if (colon == std::string_view::npos) {
            fail("the line has no 'key: value' form");
            continue;
        }
        const std::string_view key = trim(content.substr(0, colon));
        const std::string_view value = trim(content.substr(colon + 1));
        if (key == "Filetype") {
            sawFiletype = true;
            if (value != "IR signals file" && value != "IR library file")
                result.warnings.push_back(
                    {line.number, "file type " + quoted(value) + " read as an IR signals file"});
            continue;
        }
        if (key == "Version") {
            if (value != "1") {
                result.errors.push_back(
                    {line.number, "version " + quoted(value) + " is not supported"});
                return result;
            }
            continue;
        }
        if (key == "name") {
            if (pending)
                finish(*pending, result);
            pending.emplace();
            pending->name = std::string(value);
            pending->line = line.number;
            continue;
        }
        if (!pending) {
            fail(quoted(key) + " comes before any 'name'");
            continue;
        }
        if (pending->bad)
            continue;
        if (key == "type") {
            pending->type = std::string(value);
        } else if (key == "protocol") {
            pending->protocol = std::string(value);
        } else if (key == "address" || key == "command") {
            const auto bytes = hexBytesLE(value);
            if (!bytes)
                fail(quoted(key) + " is not 4 hexadecimal bytes");
            else
                (key == "address" ? pending->address : pending->command) = bytes;
        } else if (key == "frequency") {
            const auto frequency = parseDecimal(value, 0xFFFFFFFF);
            if (!frequency)
                fail("'frequency' is not a number");
            else if (*frequency < 10000 || *frequency > 56000)
                fail("frequency " + std::to_string(*frequency) + " is outside 10000-56000 Hz");
            else
                pending->frequency = static_cast<std::uint32_t>(*frequency);
        } else if (key == "duty_cycle") {
            const auto duty = parseDuty(value);
            if (!duty)
                fail("'duty_cycle' is not a number");
            else if (*duty <= 0 || *duty > 1)
                fail("duty cycle " + std::string(value) + " is outside 0-1");
            else
                pending->duty = duty;
        } else if (key == "data") {
            std::vector<std::uint32_t> data;
            std::size_t count = 0;
            bool ok = true;
            for (const auto token : tokens(value)) {
                if (++count > MaxDurations) {
                    fail("more than " + std::to_string(MaxDurations) + " timings");
                    ok = false;
                    break;
                }
                const auto us = parseDecimal(token, 0xFFFFFFFF);
                if (!us || *us == 0) {
                    fail("timing " + std::to_string(count) + " " + quoted(token) +
                         (us ? " is zero" : " is not a number"));
                    ok = false;
                    break;
                }
                data.push_back(static_cast<std::uint32_t>(*us));
            }
            if (ok && data.empty())
                fail("'data' holds no timings");
            else if (ok)
                pending->data = std::move(data);
        } else {
            result.warnings.push_back({line.number, "key " + quoted(key) + " is ignored"});
        }
    }
    if (pending)
        finish(*pending, result);
    if (!sawFiletype && result.codes.empty() && result.errors.empty())
        result.errors.push_back({0, "no Flipper signals found"});
    return result;
}

namespace {

std::string bytesLE(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X %02X %02X %02X", value & 0xFF, (value >> 8) & 0xFF,
                  (value >> 16) & 0xFF, value >> 24);
    return buffer;
}

std::string flipperName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return out;
}

} // namespace

WriteResult writeFlipper(const std::vector<ExportCode>& codes)
{
    WriteResult result;
    result.text = "Filetype: IR signals file\nVersion: 1\n";
    const auto writeRaw = [&](const std::string& name, const IrSignal& signal) {
        if (signal.frequency == 0) {
            result.refused.push_back(name + ": a code without carrier cannot be a Flipper signal");
            return;
        }
        std::vector<std::uint32_t> data(signal.intro.begin(), signal.intro.end());
        data.insert(data.end(), signal.repeat.begin(), signal.repeat.end());
        if (!data.empty())
            data.pop_back(); // ends with a mark, as the Flipper's own files do
        if (data.empty()) {
            result.refused.push_back(name + ": the code is empty");
            return;
        }
        if (data.size() > MaxDurations) {
            result.refused.push_back(name + ": " + std::to_string(data.size()) +
                                     " timings, a Flipper signal holds at most 1024");
            return;
        }
        std::uint32_t frequency = std::clamp<std::uint32_t>(signal.frequency, 10000, 56000);
        if (frequency != signal.frequency)
            result.warnings.push_back(name + ": carrier " + std::to_string(signal.frequency) +
                                      " Hz written as " + std::to_string(frequency) + " Hz");
        ++result.count;
        result.text += "#\nname: " + flipperName(name) +
                       "\ntype: raw\nfrequency: " + std::to_string(frequency) +
                       "\nduty_cycle: 0.330000\ndata:";
        for (std::uint32_t us : data)
            result.text += ' ' + std::to_string(std::max(us, 1u));
        result.text += '\n';
    };
    for (const ExportCode& code : codes) {
        const auto parsed = code.decoded ? flipperFromDecoded(*code.decoded) : std::nullopt;
        // A parsed RC5/RC6 carries its toggle itself; other two-code records go raw.
        if (parsed && (!code.toggled || code.togglePair)) {
            ++result.count;
            result.text += "#\nname: " + flipperName(code.name) +
                           "\ntype: parsed\nprotocol: " + parsed->protocol +
                           "\naddress: " + bytesLE(parsed->address) +
                           "\ncommand: " + bytesLE(parsed->command) + '\n';
            continue;
        }
        writeRaw(code.name, code.signal);
        if (code.toggled)
            writeRaw(code.name + "_T", *code.toggled);
    }
    return result;
}

} // namespace qlv::interchange
