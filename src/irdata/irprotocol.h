// Protocols by name and numbers: decoding a signal into them, rendering a signal from them.
#pragma once

#include "irsignal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qlv {

struct ProtocolParameter {
    std::string name; // "D", "S", "F", "T", "E", ...
    std::int64_t value = 0;

    bool operator==(const ProtocolParameter&) const = default;
};

// A protocol and every one of its parameters (defaulted ones included), in print order.
struct DecodedCode {
    std::string protocol;                      // as the protocol table writes it: "NEC1", "RC5"
    std::vector<ProtocolParameter> parameters; // D, S, F, T, then the rest alphabetically
    std::string note;                          // e.g. "incomplete learn: no repeat"; may be empty

    bool operator==(const DecodedCode&) const = default;
};

// "NEC1 D=4 S=251 F=8"
std::string describeDecoded(const DecodedCode& code);
// "D=4 S=251 F=8"
std::string parametersText(const DecodedCode& code);

// Nothing when no protocol matches; never a protocol whose checks fail.
std::optional<DecodedCode> decodeSignal(const IrSignal& signal);

struct DecodeOptions {
    // False when the signal's frequency is a default rather than a measurement (a Flipper raw
    // capture says 38000 whatever the remote sent): the carrier then decides nothing.
    bool frequencyMeasured = true;
};
std::optional<DecodedCode> decodeSignal(const IrSignal& signal, const DecodeOptions& options);

struct ParameterSpec {
    std::string name;
    std::int64_t min = 0;
    std::int64_t max = 0;
    bool hasDefault = false; // the default may depend on other parameters (NEC1's S = 255 - D)
};

struct ProtocolSpec {
    std::string name;
    std::vector<ParameterSpec> parameters; // print order
    bool toggles = false;                  // rendered into a two-code record (T = 0 / T = 1)
    bool renderable = true;                // false for the decode-only names (NEC, NEC-f16)
};

const std::vector<ProtocolSpec>& knownProtocols();
const ProtocolSpec* findProtocol(std::string_view name); // exact name; nullptr when unknown

struct RenderError {
    std::string message; // names the protocol or parameter at fault
};

// Parameters may leave out defaulted ones; unknown, missing or out-of-range ones are errors.
std::variant<IrSignal, RenderError> renderSignal(std::string_view protocol,
                                                 const std::vector<ProtocolParameter>& parameters);

} // namespace qlv
