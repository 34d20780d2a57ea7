#include "ircodes.h"

#include <irdata/codeencoder.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <vector>

namespace k817t {

namespace {

using qlv::CodeBlock;

using Step = qlv::TimedStep;

// The block as the device delivers it, with a device word that is not zero, so that a program
// that fails to carry it through unchanged shows.
CodeBlock block(std::uint8_t period, const std::vector<Step>& first,
                const std::vector<Step>& repeat)
{
    std::optional<CodeBlock> out = qlv::encodeCodeBlock(period, first, repeat);
    if (!out)
        throw std::logic_error("a code with more than 16 timing pairs");
    (*out)[2] = 0x00;
    (*out)[3] = 0x01;
    return *out;
}

std::uint8_t periodFor(double hz)
{
    return std::uint8_t(std::lround(1844000.0 / hz));
}

constexpr double NecUnit = 562.5;

// Each distinct duration moves by its own small factor, so steps that were equal stay equal
// and the code keeps within the device's 16 timing pairs.
void jitter(std::vector<Step>& steps, std::uint32_t seed)
{
    if (seed == 0)
        return;
    std::map<double, double> moved;
    std::uint32_t state = seed;
    auto shift = [&](double us) {
        const auto found = moved.find(us);
        if (found != moved.end())
            return found->second;
        state = state * 1664525u + 1013904223u;
        const double factor = 1.0 + (double(state >> 8 & 0xFFFF) / 65535.0 - 0.5) * 0.08;
        return moved[us] = us * factor;
    };
    for (Step& step : steps) {
        step.gapUs = shift(step.gapUs);
        step.burstUs = shift(step.burstUs);
    }
}

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

CodeBlock rc5Block(std::uint8_t address, std::uint8_t command, bool toggle,
                   std::uint32_t jitterSeed)
{
    constexpr double Period = 113778; // 64 bit times
    std::vector<Step> first = rc5Frame(address, command, toggle, 889);
    const double length = duration(first);
    std::vector<Step> repeat = rc5Frame(address, command, toggle, Period - length + 889);
    jitter(first, jitterSeed);
    jitter(repeat, jitterSeed);
    return block(periodFor(36000), first, repeat);
}

} // namespace

CodeBlock necBlock(std::uint8_t address, std::uint8_t command, const Capture& capture)
{
    std::vector<Step> first{{2000, 16 * NecUnit}};
    double gap = 8 * NecUnit;
    // A misread bit in the command alone: the inverted copy no longer matches it.
    const std::uint8_t bytes[4] = {address, std::uint8_t(~address),
                                   std::uint8_t(capture.wrongBit ? command ^ 0x04 : command),
                                   std::uint8_t(~command)};
    for (const std::uint8_t byte : bytes)
        for (int b = 0; b < 8; ++b) {
            first.push_back({gap, NecUnit});
            gap = (byte >> b & 1) ? 3 * NecUnit : NecUnit;
        }
    // The last bit's space, then the stop burst.
    first.push_back({gap, NecUnit});
    const double repeatBurstsUs = 16 * NecUnit + 4 * NecUnit + NecUnit;
    std::vector<Step> repeat{{108000 - repeatBurstsUs, 16 * NecUnit}, {4 * NecUnit, NecUnit}};
    jitter(first, capture.jitterSeed);
    jitter(repeat, capture.jitterSeed);
    return block(periodFor(38000), first, repeat);
}

std::pair<CodeBlock, CodeBlock> rc5Pair(std::uint8_t address, std::uint8_t command,
                                        const Capture& capture)
{
    const auto sent = std::uint8_t(capture.wrongBit ? command ^ 0x04 : command);
    return {rc5Block(address & 0x1F, sent & 0x3F, false, capture.jitterSeed),
            rc5Block(address & 0x1F, sent & 0x3F, true, capture.jitterSeed)};
}

} // namespace k817t
