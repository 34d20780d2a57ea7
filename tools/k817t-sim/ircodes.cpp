#include "ircodes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace k817t {

namespace {

using qlv::BlockSize;
using qlv::CodeBlock;
using qlv::HeaderSize;

// One sequence entry in microseconds: a gap without carrier, then a burst with it.
struct Step {
    double gapUs;
    double burstUs;
};

void putBigEndian16(CodeBlock& block, std::size_t offset, unsigned value)
{
    block[offset] = std::uint8_t(value >> 8);
    block[offset + 1] = std::uint8_t(value & 0xFF);
}

// The device's time base: a gap counts units of 8 ticks of 1200/2212 us, a burst counts
// carrier periods of P ticks.
CodeBlock block(std::uint8_t period, const std::vector<Step>& first,
                const std::vector<Step>& repeat)
{
    CodeBlock out{};
    std::vector<std::pair<unsigned, unsigned>> pairs;
    std::vector<std::uint8_t> entries;
    auto add = [&](const Step& step) {
        const auto gap = unsigned(std::lround(step.gapUs * 2212 / 9600));
        const auto burst = unsigned(std::lround(step.burstUs * 2212 / (period * 1200.0)));
        const std::pair<unsigned, unsigned> pair{gap, burst};
        auto found = std::find(pairs.begin(), pairs.end(), pair);
        if (found == pairs.end()) {
            if (pairs.size() == 16)
                throw std::logic_error("a code with more than 16 timing pairs");
            found = pairs.insert(pairs.end(), pair);
        }
        entries.push_back(std::uint8_t(found - pairs.begin()));
    };
    std::for_each(first.begin(), first.end(), add);
    std::for_each(repeat.begin(), repeat.end(), add);

    out[0] = qlv::CodeMarker;
    out[1] = period;
    putBigEndian16(out, 2, 0x0001);
    putBigEndian16(out, 4, unsigned(first.size()));
    putBigEndian16(out, 6, unsigned(first.size() + repeat.size()));
    putBigEndian16(out, 8, unsigned(first.size()));
    out[10] = 0;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        putBigEndian16(out, 11 + 4 * k, pairs[k].first);
        putBigEndian16(out, 13 + 4 * k, pairs[k].second);
    }
    for (std::size_t i = 0; i < entries.size() && HeaderSize + i / 2 < BlockSize; ++i)
        out[HeaderSize + i / 2] |= std::uint8_t(i % 2 == 0 ? entries[i] : entries[i] << 4);
    return out;
}

std::uint8_t periodFor(double hz)
{
    return std::uint8_t(std::lround(1844000.0 / hz));
}

constexpr double NecUnit = 562.5;

double duration(const std::vector<Step>& steps)
{
    double total = 0;
    for (const Step& step : steps)
        total += step.gapUs + step.burstUs;
    return total;
}

// RC5 bits as a list of levels per half bit: a one is space then mark, a zero the reverse.
std::vector<Step> rc5Frame(std::uint8_t address, std::uint8_t command, bool toggle,
                           double firstGapUs)
{
    constexpr double Half = 889;
    std::vector<int> bits{1, 1, toggle ? 1 : 0};
    for (int b = 4; b >= 0; --b)
        bits.push_back(address >> b & 1);
    for (int b = 5; b >= 0; --b)
        bits.push_back(command >> b & 1);
    std::vector<int> halves;
    for (const int bit : bits) {
        halves.push_back(bit ? 0 : 1);
        halves.push_back(bit ? 1 : 0);
    }
    // Runs of equal level; the frame starts with a space (the first bit is a one).
    std::vector<double> runs;
    int level = 0;
    for (const int half : halves) {
        if (runs.empty() || half != level)
            runs.push_back(0);
        level = half;
        runs.back() += Half;
    }
    if (runs.size() % 2 != 0)
        runs.pop_back(); // the trailing space is idle line
    std::vector<Step> steps;
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2)
        steps.push_back({runs[i], runs[i + 1]});
    steps.front().gapUs += firstGapUs - Half;
    return steps;
}

CodeBlock rc5Block(std::uint8_t address, std::uint8_t command, bool toggle)
{
    constexpr double Period = 113778; // 64 bit times
    const std::vector<Step> first = rc5Frame(address, command, toggle, 889);
    const double length = duration(first);
    const std::vector<Step> repeat = rc5Frame(address, command, toggle, Period - length + 889);
    return block(periodFor(36000), first, repeat);
}

} // namespace

CodeBlock necBlock(std::uint8_t address, std::uint8_t command)
{
    std::vector<Step> first{{2000, 16 * NecUnit}};
    double gap = 8 * NecUnit;
    const std::uint8_t bytes[4] = {address, std::uint8_t(~address), command,
                                   std::uint8_t(~command)};
    for (const std::uint8_t byte : bytes)
        for (int b = 0; b < 8; ++b) {
            first.push_back({gap, NecUnit});
            gap = (byte >> b & 1) ? 3 * NecUnit : NecUnit;
        }
    // The last bit's space, then the stop burst.
    first.push_back({gap, NecUnit});
    const double repeatBurstsUs = 16 * NecUnit + 4 * NecUnit + NecUnit;
    const std::vector<Step> repeat{{108000 - repeatBurstsUs, 16 * NecUnit}, {4 * NecUnit, NecUnit}};
    return block(periodFor(38000), first, repeat);
}

std::pair<CodeBlock, CodeBlock> rc5Pair(std::uint8_t address, std::uint8_t command)
{
    return {rc5Block(address & 0x1F, command & 0x3F, false),
            rc5Block(address & 0x1F, command & 0x3F, true)};
}

} // namespace k817t
