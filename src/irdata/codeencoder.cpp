#include "codeencoder.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace qlv {

namespace {

constexpr std::size_t MaxEntries = (BlockSize - HeaderSize) * 2;

void putBigEndian16(CodeBlock& block, std::size_t offset, std::size_t value)
{
    block[offset] = std::uint8_t(value >> 8);
    block[offset + 1] = std::uint8_t(value & 0xFF);
}

} // namespace

long gapUnits(double gapUs)
{
    return std::lround(gapUs * 2212 / 9600);
}

long burstPeriods(double burstUs, std::uint8_t carrierPeriod)
{
    const double unit = carrierPeriod == 0 ? 1.0 : carrierPeriod * 1200.0 / 2212;
    return std::lround(burstUs / unit);
}

CodeBlock codeBlock(const QuantisedCode& code)
{
    CodeBlock block{};
    block[0] = CodeMarker;
    block[1] = code.carrierPeriod;
    putBigEndian16(block, 4, code.repeatStart);
    putBigEndian16(block, 6, code.repeatEnd);
    putBigEndian16(block, 8, code.firstLength);
    for (std::size_t k = 0; k < std::min<std::size_t>(code.pairs.size(), 16); ++k) {
        putBigEndian16(block, 11 + 4 * k, code.pairs[k].gap);
        putBigEndian16(block, 13 + 4 * k, code.pairs[k].burst);
    }
    for (std::size_t i = 0; i < std::min(code.entries.size(), MaxEntries); ++i)
        block[HeaderSize + i / 2] |=
            std::uint8_t(i % 2 == 0 ? code.entries[i] & 0x0F : code.entries[i] << 4);
    return block;
}

std::optional<CodeBlock> encodeCodeBlock(std::uint8_t carrierPeriod,
                                         std::span<const TimedStep> first,
                                         std::span<const TimedStep> repeat)
{
    if (first.size() + repeat.size() > MaxEntries)
        return std::nullopt;
    std::vector<std::pair<long, long>> pairs;
    QuantisedCode code;
    code.carrierPeriod = carrierPeriod;
    for (const std::span<const TimedStep> part : {first, repeat}) {
        for (const TimedStep& step : part) {
            const std::pair pair{gapUnits(step.gapUs), burstPeriods(step.burstUs, carrierPeriod)};
            auto found = std::find(pairs.begin(), pairs.end(), pair);
            if (found == pairs.end()) {
                if (pairs.size() == 16)
                    return std::nullopt;
                found = pairs.insert(pairs.end(), pair);
            }
            code.entries.push_back(std::uint8_t(found - pairs.begin()));
        }
    }
    for (const auto& [gap, burst] : pairs)
        code.pairs.push_back({std::uint16_t(std::clamp(gap, 0L, 65535L)),
                              std::uint16_t(std::clamp(burst, 0L, 65535L))});
    code.firstLength = std::uint16_t(first.size());
    code.repeatStart = std::uint16_t(first.size());
    code.repeatEnd = std::uint16_t(first.size() + repeat.size());
    return codeBlock(code);
}

} // namespace qlv
