// Between a record's code and an IrSignal: gap-then-burst steps against mark-then-space.
#pragma once

#include "coderecord.h"
#include "irprotocol.h"
#include "irsignal.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qlv {

// The code as the device sends it; the lead-in gap before the first burst is dropped. A code
// without a repeat range gets the given trailing gap.
IrSignal signalFromCode(const CodeRecord& record, Code code, std::uint32_t trailingGapUs = 100000);

struct EncodeError {
    std::string message; // says what did not fit and how much was needed
};

struct EncodedCode {
    CodeBlock block;                   // header and sequence in the block form the device delivers
    std::vector<std::string> warnings; // e.g. a gap clamped to the 16-bit field
};

// capacity: sequence entries available (512 for a one-code record, 256 per code of a two-code one).
std::variant<EncodedCode, EncodeError> encodeSignal(const IrSignal& signal,
                                                    std::size_t capacity = 512);

// Whole records: one code, or two codes (A and B, the toggle states) sent alternately. The
// name field is left empty (the caller writes it); deviceWord and deviceByte are 0.
std::variant<CodeRecord, EncodeError> recordFromSignal(const IrSignal& signal);
std::variant<CodeRecord, EncodeError> recordFromSignals(const IrSignal& codeA,
                                                        const IrSignal& codeB);
// The same, handing back the warnings of the encoding (clamped gaps) instead of dropping them.
std::variant<CodeRecord, EncodeError> recordFromSignals(const std::vector<IrSignal>& codes,
                                                        std::vector<std::string>& warnings);

// The protocol and numbers of one code of a record, or nothing.
std::optional<DecodedCode> decodeCode(const CodeRecord& record, Code code);

// What a code is, for the eye: "NEC1 D=4 S=251 F=8", with a hint when the code looks
// incomplete, "no known protocol", or empty when the record holds no such code.
std::string codeSummary(const CodeRecord& record, Code code);
// Code A's summary, or "A: ..." and "B: ..." joined by separator for a two-code record.
std::string recordSummary(const CodeRecord& record, std::string_view separator);

// The record a protocol sends for these parameters: a two-code record (T = 0 as code A, T = 1 as
// code B) for the protocols that toggle, else one code. The message names what was wrong.
std::variant<CodeRecord, std::string>
recordFromProtocol(std::string_view protocol, const std::vector<ProtocolParameter>& parameters);

} // namespace qlv
