// The 512 bytes of one key slot: up to two learned codes and the key's name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlv {

inline constexpr std::size_t RecordSize = 512;
inline constexpr std::size_t HeaderSize = 75;
inline constexpr std::size_t BlockSize = 331;
inline constexpr std::size_t NameOffset = 240;
inline constexpr std::size_t NameMaxBytes = 15;
inline constexpr std::size_t SequenceOffset = 256;
inline constexpr std::uint8_t CodeMarker = 0x72;

using CodeRecord = std::array<std::uint8_t, RecordSize>;
using CodeBlock = std::array<std::uint8_t, BlockSize>;

enum class Code { A, B };

struct TimingPair {
    std::uint16_t gap = 0;
    std::uint16_t burst = 0;
};

struct CodeHeader {
    std::uint8_t marker = 0;
    std::uint8_t carrierPeriod = 0;
    std::uint16_t deviceWord = 0;
    std::uint16_t repeatStart = 0;
    std::uint16_t repeatEnd = 0;
    std::uint16_t firstLength = 0;
    std::uint8_t deviceByte = 0;
    std::array<TimingPair, 16> pairs{};
};

enum class StepPart { First, Repeat };

// One sequence entry expanded: a gap (no carrier) followed by a burst (carrier).
struct CodeStep {
    StepPart part = StepPart::First;
    std::uint8_t pair = 0;
    std::uint64_t gapUs = 0;
    std::uint64_t burstUs = 0;
};

// Durations in the device's time base; 64-bit because burst x P x 1200 overflows 32 bits.
std::uint64_t gapMicros(std::uint16_t gap);
std::uint64_t burstMicros(std::uint16_t burst, std::uint8_t carrierPeriod);
std::uint32_t carrierHz(std::uint8_t carrierPeriod);

// The stored "IR Data" bytes as a record: the first 512, missing bytes 0xFF.
// A null value reads like an empty one.
CodeRecord readStored(std::span<const std::uint8_t> stored);

bool hasCode(const CodeRecord& record, Code code);
bool isTwoCodeRecord(const CodeRecord& record);
CodeHeader decodeHeader(const CodeRecord& record, Code code);

// Entries of the code's own sequence area: 512 for a one-code record's code A, else 256.
std::size_t sequenceCapacity(const CodeRecord& record, Code code);
std::uint8_t sequenceEntry(const CodeRecord& record, Code code, std::size_t index);

// Ranges that reach past the sequence area are clamped to it.
std::vector<CodeStep> codeSteps(const CodeRecord& record, Code code);

std::string formatText(const CodeRecord& record);
std::string carryText(const CodeRecord& record);

// The name field in the device's code page, up to the first NUL, at most 15 bytes.
std::string nameText(const CodeRecord& record);
// Writes at most 15 bytes of name and a NUL from byte 240; the caller cuts at a character
// boundary (see the code-page layer), this only guarantees nothing beyond byte 255 is touched.
void writeName(CodeRecord& record, std::string_view name);

// Record from the bytes received after LEARN: one block for format 1, two for format 2.
CodeRecord assembleLearned(std::span<const std::uint8_t> received, int irFormat,
                           std::string_view name);

// The block to transmit, or nothing for a record without code; flips the alternation flag.
std::optional<CodeBlock> sendBlock(const CodeRecord& record, bool& alternate);

// A slot as image import and upload take it: byte 255 forced to NUL.
CodeRecord importedSlot(std::span<const std::uint8_t> slot);

} // namespace qlv
