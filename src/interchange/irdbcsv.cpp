// IRDB CSV: functionname,protocol,device,subdevice,function; one code a row.
#include "interchange.h"
#include "textlines.h"

#include <algorithm>
#include <array>
#include <set>

namespace qlv::interchange {

namespace {

// The protocols an IRDB row can name and QLV renders; names are matched without case.
constexpr std::array<const char*, 29> RowProtocols{{
    "NEC1",       "NEC2",     "NECx1",    "NECx2",    "NECx",      "Pioneer", "Aiwa",   "RC5",
    "RC5x",       "RC6",      "RC6-6-20", "MCE",      "Sony12",    "Sony15",  "Sony20", "Samsung36",
    "Panasonic",  "Kaseikyo", "Denon-K",  "JVC",      "Sharp",     "Denon",   "RCA",    "RCA-38",
    "Mitsubishi", "NEC1-f16", "NEC2-f16", "RC6-6-32", "Samsung32",
}};

struct Canonical {
    std::string protocol;
    std::string warning;
};

std::optional<Canonical> canonicalProtocol(std::string_view name)
{
    std::string_view base = name;
    // Sharp{1}, Denon{2}, JVC{2}: one half, or a frame without lead-in, of the same protocol
    if (const auto brace = base.find('{'); brace != std::string_view::npos && base.ends_with("}"))
        base = base.substr(0, brace);
    if (equalsNoCase(base, "NEC"))
        return Canonical{"NEC1", "NEC rendered as NEC1"};
    if (equalsNoCase(base, "RC6-6-32"))
        return Canonical{"MCE", {}};
    if (equalsNoCase(base, "Samsung32"))
        return std::nullopt; // IRP's alias of NECx1-f16, not Flipper's Samsung32
    for (const char* protocol : RowProtocols)
        if (equalsNoCase(base, protocol))
            return Canonical{protocol, {}};
    return std::nullopt;
}

// One CSV record of a line: quoted fields with doubled quotes; a quote inside an unquoted
// field is kept as it is.
std::optional<std::vector<std::string>> csvFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (true) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += line[i++];
            }
            if (!closed)
                return std::nullopt;
            while (i < line.size() && line[i] != ',')
                field += line[i++]; // text after the closing quote belongs to the field
        } else {
            while (i < line.size() && line[i] != ',')
                field += line[i++];
        }
        fields.push_back(std::move(field));
        if (fields.size() > 16)
            return fields;
        if (i >= line.size())
            return fields;
        ++i; // the comma
    }
}

} // namespace

ParseResult parseIrdbCsv(std::string_view text)
{
    if (std::optional<ParseResult> refused = refuseOversized(text))
        return std::move(*refused);
    ParseResult result;
    bool first = true;
    for (const TextLine& line : splitLines(text)) {
        const std::string_view content = trim(line.text);
        if (content.empty())
            continue;
        const auto fail = [&](const std::string& message) {
            result.errors.push_back({line.number, message});
        };
        if (first) {
            first = false;
            const std::string_view head = content.substr(0, content.find_first_of(",\t"));
            if (equalsNoCase(head, "functionname") || equalsNoCase(head, "function"))
                continue;
        }
        if (result.codes.size() >= MaxCodes) {
            fail("more than " + std::to_string(MaxCodes) + " rows; the rest is not read");
            break;
        }
        auto fields = csvFields(content);
        if (!fields) {
            fail("a quoted name is not closed");
            continue;
        }
        std::vector<std::string> f = std::move(*fields);
        // PAGE/CHANNEL UP/PREVIOUS,Denon-K,4.1,945: device.subdevice in one field
        if (f.size() == 4) {
            const auto dot = f[2].find('.');
            if (dot == std::string::npos) {
                fail("a row needs 5 fields: functionname,protocol,device,subdevice,function");
                continue;
            }
            f.insert(f.begin() + 3, f[2].substr(dot + 1));
            f[2].resize(dot);
        }
        if (f.size() != 5) {
            fail("a row needs 5 fields: functionname,protocol,device,subdevice,function; this "
                 "one has " +
                 std::to_string(f.size()));
            continue;
        }
        const std::string_view protocolName = trim(f[1]);
        const auto canonical = canonicalProtocol(protocolName);
        if (!canonical) {
            fail("protocol " + quoted(protocolName) + " is not one QLV renders");
            continue;
        }
        if (canonical->protocol == "Samsung36") {
            fail("Samsung36 needs E, which an IRDB row does not carry");
            continue;
        }
        const auto device = parseSigned(trim(f[2]), 0, 0xFFFF);
        const auto subdevice = parseSigned(trim(f[3]), -1, 0xFFFF);
        const auto function = parseSigned(trim(f[4]), 0, 0xFFFF);
        if (!device) {
            fail("device " + quoted(trim(f[2])) + " is not a number from 0");
            continue;
        }
        if (!subdevice) {
            fail("subdevice " + quoted(trim(f[3])) + " is not -1 or a number from 0");
            continue;
        }
        if (!function) {
            fail("function " + quoted(trim(f[4])) + " is not a number from 0");
            continue;
        }
        ProtocolCode code{canonical->protocol, {{"D", *device}}};
        if (*subdevice >= 0)
            code.parameters.push_back({"S", *subdevice});
        code.parameters.push_back({"F", *function});
        if (!canonical->warning.empty())
            result.warnings.push_back({line.number, canonical->warning});
        result.codes.push_back({std::string(trim(f[0])), line.number, std::move(code), {}});
    }
    return result;
}

namespace {

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos && trim(text) == text)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

WriteResult writeIrdbCsv(const std::vector<ExportCode>& codes)
{
    WriteResult result;
    result.text = "functionname,protocol,device,subdevice,function\n";
    std::set<std::string> protocols;
    for (const ExportCode& code : codes) {
        if (!code.decoded) {
            result.refused.push_back(code.name + ": the code does not decode to a protocol");
            continue;
        }
        std::optional<std::int64_t> d, s, f;
        bool extra = false;
        for (const auto& p : code.decoded->parameters) {
            if (p.name == "D")
                d = p.value;
            else if (p.name == "S")
                s = p.value;
            else if (p.name == "F")
                f = p.value;
            else if (p.name != "T")
                extra = true;
        }
        if (extra || !d || !f) {
            result.refused.push_back(code.name + ": " + code.decoded->protocol +
                                     " has parameters an IRDB row cannot hold");
            continue;
        }
        protocols.insert(code.decoded->protocol);
        ++result.count;
        result.text += csvField(code.name) + ',' + code.decoded->protocol + ',' +
                       std::to_string(*d) + ',' + std::to_string(s.value_or(-1)) + ',' +
                       std::to_string(*f) + '\n';
    }
    if (protocols.size() > 1)
        result.warnings.push_back("the rows mix protocols; IRDB's own files hold one device each");
    return result;
}

} // namespace qlv::interchange
