// Codes in the text formats other IR tools use: Pronto Hex, Flipper .ir, LIRC lircd.conf,
// mode2/ir-ctl and IRDB CSV. Parsers are pure functions of text; writers of signals.
#pragma once

#include "irdata/irprotocol.h"
#include "irdata/irsignal.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qlv::interchange {

enum class Format { Pronto, Flipper, Lirc, Mode2, Csv };

// Files larger than this are refused whole; a code with more durations than this is refused.
inline constexpr std::size_t MaxInputBytes = 16 * 1024 * 1024;
inline constexpr std::size_t MaxDurations = 1024;
inline constexpr std::size_t MaxCodes = 4096;
// The gap given to a code whose source ends with a mark (Flipper raw, LIRC raw, mode2).
inline constexpr std::uint32_t DefaultTrailingGap = 100000;

// A protocol with the parameters the file gives, in IRP terms (NEC1, RC5, ...).
struct ProtocolCode {
    std::string protocol;
    std::vector<ProtocolParameter> parameters;

    bool operator==(const ProtocolCode&) const = default;
};

struct NamedCode {
    std::string name; // as the file spells it; may be empty
    int line = 0;     // where the code starts
    std::variant<IrSignal, ProtocolCode> code;
    // The second toggle state, when the format renders both itself (LIRC toggle_bit_mask).
    std::optional<IrSignal> toggled;
};

struct Diagnostic {
    int line = 0; // 0 when the whole file is meant
    std::string message;

    std::string text() const; // "line 12: 'frequency' is not a number"
    bool operator==(const Diagnostic&) const = default;
};

struct ParseResult {
    std::vector<NamedCode> codes;
    std::vector<Diagnostic> errors;   // each a code (or the file) that could not be read
    std::vector<Diagnostic> warnings; // read, but something was assumed or dropped
};

ParseResult parsePronto(std::string_view text);
ParseResult parseFlipper(std::string_view text);
ParseResult parseLirc(std::string_view text);
ParseResult parseMode2(std::string_view text);
ParseResult parseIrdbCsv(std::string_view text);
ParseResult parseCodes(Format format, std::string_view text);

std::optional<Format> formatFromName(std::string_view name); // "pronto", "flipper", ...
std::optional<Format> formatFromExtension(std::string_view path);
std::optional<Format> formatFromContent(std::string_view text);
std::string_view formatName(Format format);

// One slot to write: its code (A), the second code of a two-code record (B), and what the
// decoder made of code A, if anything.
struct ExportCode {
    std::string name;
    IrSignal signal;
    std::optional<IrSignal> toggled;
    std::optional<DecodedCode> decoded;
    bool togglePair = false; // toggled is the signal with the other toggle state
};

struct WriteResult {
    std::string text;
    std::size_t count = 0;             // codes written
    std::vector<std::string> refused;  // "NAME: why", a code left out
    std::vector<std::string> warnings; // "NAME: what was changed"
};

WriteResult writePronto(const std::vector<ExportCode>& codes);
WriteResult writeFlipper(const std::vector<ExportCode>& codes);
WriteResult writeLirc(const std::vector<ExportCode>& codes, std::string_view remoteName);
WriteResult writeMode2(const std::vector<ExportCode>& codes);
WriteResult writeIrdbCsv(const std::vector<ExportCode>& codes);
WriteResult writeCodes(Format format, const std::vector<ExportCode>& codes,
                       std::string_view remoteName);

// Flipper's parsed signals against IRP protocols (the firmware's packing, address and
// command as 32-bit little-endian values).
struct FlipperParsed {
    std::string protocol; // "NEC", "NECext", "RC5", ...
    std::uint32_t address = 0;
    std::uint32_t command = 0;

    bool operator==(const FlipperParsed&) const = default;
};
std::variant<ProtocolCode, std::string> protocolFromFlipper(const FlipperParsed& parsed);
std::optional<FlipperParsed> flipperFromDecoded(const DecodedCode& decoded);

// Pronto words for one signal ("0000 006C ..."), as the writer puts them after the name.
std::string prontoWords(const IrSignal& signal, std::vector<std::string>* warnings = nullptr);

} // namespace qlv::interchange
