#include "codeencoder.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace qlv {

namespace {

void putBigEndian16(CodeBlock& block, std::size_t offset, std::size_t value)
{
    block[offset] = std::uint8_t(value >> 8);
    block[offset + 1] = std::uint8_t(value & 0xFF);
}

} // namespace

std::optional<CodeBlock> encodeCodeBlock(std::uint8_t carrierPeriod,
                                         std::span<const TimedStep> first,
                                         std::span<const TimedStep> repeat)
{
    constexpr std::size_t MaxEntries = (BlockSize - HeaderSize) * 2;
    if (first.size() + repeat.size() > MaxEntries)
        return std::nullopt;
    std::vector<std::pair<long, long>> pairs;
    std::vector<std::uint8_t> entries;
    // Gaps count units of 8 ticks of 1200/2212 us, bursts carrier periods of P ticks.
    const double burstUnit = carrierPeriod == 0 ? 1.0 : carrierPeriod * 1200.0 / 2212;
    for (const std::span<const TimedStep> part : {first, repeat}) {
        for (const TimedStep& step : part) {
            const std::pair pair{std::lround(step.gapUs * 2212 / 9600),
                                 std::lround(step.burstUs / burstUnit)};
            auto found = std::find(pairs.begin(), pairs.end(), pair);
            if (found == pairs.end()) {
                if (pairs.size() == 16)
                    return std::nullopt;
                found = pairs.insert(pairs.end(), pair);
            }
            entries.push_back(std::uint8_t(found - pairs.begin()));
        }
    }

    CodeBlock block{};
    block[0] = CodeMarker;
    block[1] = carrierPeriod;
    putBigEndian16(block, 4, first.size());
    putBigEndian16(block, 6, first.size() + repeat.size());
    putBigEndian16(block, 8, first.size());
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        putBigEndian16(block, 11 + 4 * k, std::size_t(std::clamp(pairs[k].first, 0L, 65535L)));
        putBigEndian16(block, 13 + 4 * k, std::size_t(std::clamp(pairs[k].second, 0L, 65535L)));
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        block[HeaderSize + i / 2] |= std::uint8_t(i % 2 == 0 ? entries[i] : entries[i] << 4);
    return block;
}

} // namespace qlv
