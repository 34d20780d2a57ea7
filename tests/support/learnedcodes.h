// Records shaped like the device's learned codes of real remotes (NEC, RC5), built from
// durations in microseconds, for the waveform and dialog tests and the demo.
#pragma once

#include <irdata/codeencoder.h>
#include <irdata/coderecord.h>

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace qlv::test {

struct LearnedSignal {
    std::uint8_t carrierPeriod = 48;
    // (gap, burst) in microseconds; the first part, then the range that repeats.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> first;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> repeat;
};

namespace detail {

inline CodeBlock blockOf(const LearnedSignal& signal)
{
    auto steps = [](const std::vector<std::pair<std::uint32_t, std::uint32_t>>& part) {
        std::vector<TimedStep> out;
        for (const auto& [gap, burst] : part)
            out.push_back({double(gap), double(burst)});
        return out;
    };
    return encodeCodeBlock(signal.carrierPeriod, steps(signal.first), steps(signal.repeat)).value();
}

} // namespace detail

// NEC: 9 ms leader, 4.5 ms space, 32 bits LSB first, stop burst; repeat frames every 108 ms.
inline LearnedSignal necSignal(std::uint8_t address, std::uint8_t command)
{
    LearnedSignal signal;
    signal.carrierPeriod = 48; // 38416 Hz
    signal.first.push_back({40, 9000});
    signal.first.push_back({4500, 560});
    const std::uint32_t frame = std::uint32_t(address) | std::uint32_t(~address & 0xFF) << 8 |
                                std::uint32_t(command) << 16 | std::uint32_t(~command & 0xFF) << 24;
    for (int bit = 0; bit < 32; ++bit)
        signal.first.push_back({(frame >> bit & 1) ? 1690u : 560u, 560});
    signal.repeat.push_back({40000, 9000});
    signal.repeat.push_back({2250, 560});
    return signal;
}

// RC5: two start bits, toggle, 5 address and 6 command bits in 889 us halves; repeats every
// 113.8 ms.
inline LearnedSignal rc5Signal(bool toggle, std::uint8_t address, std::uint8_t command)
{
    constexpr std::uint32_t half = 889;
    std::vector<bool> levels; // true: carrier
    auto bit = [&](bool one) {
        levels.push_back(!one);
        levels.push_back(one);
    };
    bit(true);
    bit(true);
    bit(toggle);
    for (int i = 4; i >= 0; --i)
        bit(address >> i & 1);
    for (int i = 5; i >= 0; --i)
        bit(command >> i & 1);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> steps;
    std::uint32_t gap = 0, burst = 0;
    for (bool on : levels) {
        if (on) {
            burst += half;
        } else {
            if (burst > 0) {
                steps.push_back({gap, burst});
                gap = burst = 0;
            }
            gap += half;
        }
    }
    if (burst > 0)
        steps.push_back({gap, burst});

    std::uint32_t length = 0;
    for (const auto& step : steps)
        length += step.first + step.second;
    LearnedSignal signal;
    signal.carrierPeriod = 51; // 36156 Hz
    signal.first = steps;
    signal.first.front().first = 40;
    signal.repeat = steps;
    signal.repeat.front().first = 113778 - length;
    return signal;
}

inline CodeRecord learnedRecord(const LearnedSignal& a, std::string_view name = {})
{
    return assembleLearned(detail::blockOf(a), 1, name);
}

// A two-code record as learning in format 2 stores it.
inline CodeRecord learnedRecord(const LearnedSignal& a, const LearnedSignal& b,
                                std::string_view name = {})
{
    std::vector<std::uint8_t> received;
    for (const CodeBlock& block : {detail::blockOf(a), detail::blockOf(b)})
        received.insert(received.end(), block.begin(), block.end());
    return assembleLearned(received, 2, name);
}

} // namespace qlv::test
