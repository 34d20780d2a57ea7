#include "coderecord.h"

#include <algorithm>

namespace qlv {

namespace {

constexpr std::size_t headerOffset(Code code)
{
    return code == Code::A ? 0 : 128;
}

std::uint16_t bigEndian16(const CodeRecord& record, std::size_t offset)
{
    return static_cast<std::uint16_t>(record[offset] << 8 | record[offset + 1]);
}

// Code B's sequence is the second half of the area; code A's always starts it.
constexpr std::size_t sequenceAreaOffset(Code code)
{
    return code == Code::A ? SequenceOffset : 384;
}

template <typename It>
It copyRange(const CodeRecord& record, std::size_t from, std::size_t to, It out)
{
    return std::copy(record.begin() + from, record.begin() + to, out);
}

} // namespace

std::uint64_t gapMicros(std::uint16_t gap)
{
    return std::uint64_t{gap} * 9600 / 2212;
}

std::uint64_t burstMicros(std::uint16_t burst, std::uint8_t carrierPeriod)
{
    if (carrierPeriod == 0)
        return 15 * 1200 / 2212;
    return std::uint64_t{burst} * carrierPeriod * 1200 / 2212;
}

std::uint32_t carrierHz(std::uint8_t carrierPeriod)
{
    return carrierPeriod == 0 ? 0 : 1844000u / carrierPeriod;
}

CodeRecord readStored(std::span<const std::uint8_t> stored)
{
    CodeRecord record;
    record.fill(0xFF);
    std::copy_n(stored.begin(), std::min(stored.size(), RecordSize), record.begin());
    return record;
}

bool hasCode(const CodeRecord& record, Code code)
{
    return record[headerOffset(code)] == CodeMarker;
}

bool isTwoCodeRecord(const CodeRecord& record)
{
    return hasCode(record, Code::A) && hasCode(record, Code::B);
}

CodeHeader decodeHeader(const CodeRecord& record, Code code)
{
    const std::size_t base = headerOffset(code);
    CodeHeader header;
    header.marker = record[base];
    header.carrierPeriod = record[base + 1];
    header.deviceWord = bigEndian16(record, base + 2);
    header.repeatStart = bigEndian16(record, base + 4);
    header.repeatEnd = bigEndian16(record, base + 6);
    header.firstLength = bigEndian16(record, base + 8);
    header.deviceByte = record[base + 10];
    for (std::size_t k = 0; k < header.pairs.size(); ++k) {
        header.pairs[k].gap = bigEndian16(record, base + 11 + 4 * k);
        header.pairs[k].burst = bigEndian16(record, base + 13 + 4 * k);
    }
    return header;
}

std::size_t sequenceCapacity(const CodeRecord& record, Code code)
{
    return code == Code::A && !isTwoCodeRecord(record) ? 512 : 256;
}

std::uint8_t sequenceEntry(const CodeRecord& record, Code code, std::size_t index)
{
    if (index >= sequenceCapacity(record, code))
        return 0;
    const std::uint8_t byte = record[sequenceAreaOffset(code) + index / 2];
    return index % 2 == 0 ? byte & 0x0F : byte >> 4;
}

std::vector<CodeStep> codeSteps(const CodeRecord& record, Code code)
{
    const CodeHeader header = decodeHeader(record, code);
    const std::size_t capacity = sequenceCapacity(record, code);
    std::vector<CodeStep> steps;
    auto expand = [&](std::size_t from, std::size_t to, StepPart part) {
        to = std::min(to, capacity);
        for (std::size_t i = from; i < to; ++i) {
            const std::uint8_t k = sequenceEntry(record, code, i);
            const TimingPair& pair = header.pairs[k];
            steps.push_back(
                {part, k, gapMicros(pair.gap), burstMicros(pair.burst, header.carrierPeriod)});
        }
    };
    expand(0, header.firstLength, StepPart::First);
    expand(header.repeatStart, header.repeatEnd, StepPart::Repeat);
    return steps;
}

std::string formatText(const CodeRecord& record)
{
    if (!hasCode(record, Code::A))
        return {};
    return hasCode(record, Code::B) ? "RC5/RC6" : "Normal";
}

std::string carryText(const CodeRecord& record)
{
    if (!hasCode(record, Code::A))
        return {};
    return std::to_string(carrierHz(record[1]));
}

std::string nameText(const CodeRecord& record)
{
    const auto* first = record.data() + NameOffset;
    const auto* last = std::find(first, first + NameMaxBytes, 0);
    return std::string(first, last);
}

void writeName(CodeRecord& record, std::string_view name)
{
    const std::size_t length = std::min(name.size(), NameMaxBytes);
    // Not memcpy: an empty string_view may carry a null pointer, which memcpy must not get.
    std::copy_n(name.begin(), length, record.begin() + NameOffset);
    record[NameOffset + length] = 0;
}

CodeRecord assembleLearned(std::span<const std::uint8_t> received, int irFormat,
                           std::string_view name)
{
    CodeRecord record{};
    // A short reply leaves the missing bytes zero rather than reading past it.
    auto place = [&](std::size_t from, std::size_t to, std::size_t at) {
        if (from >= received.size())
            return;
        to = std::min(to, received.size());
        std::copy(received.begin() + from, received.begin() + to, record.begin() + at);
    };
    if (irFormat == 2) {
        place(0, 75, 0);
        place(75, 203, 256);
        place(331, 406, 128);
        place(406, 534, 384);
    } else {
        place(0, 75, 0);
        place(75, 331, 256);
    }
    writeName(record, name);
    return record;
}

std::optional<CodeBlock> sendBlock(const CodeRecord& record, bool& alternate)
{
    if (!hasCode(record, Code::A))
        return std::nullopt;
    alternate = !alternate;
    CodeBlock block;
    auto out = block.begin();
    if (hasCode(record, Code::B) && alternate) {
        out = copyRange(record, 128, 203, out);
        out = copyRange(record, 384, 512, out);
        copyRange(record, 256, 384, out);
    } else {
        out = copyRange(record, 0, 75, out);
        copyRange(record, 256, 512, out);
    }
    return block;
}

CodeRecord importedSlot(std::span<const std::uint8_t> slot)
{
    CodeRecord record = readStored(slot);
    record[255] = 0;
    return record;
}

} // namespace qlv
