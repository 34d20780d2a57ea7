// Records shaped like the device's learned codes of real remotes (NEC, RC5), built from
// durations in microseconds, for the waveform and dialog tests and the demo.
#pragma once

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

inline std::uint16_t units(std::uint64_t numerator, std::uint64_t denominator)
{
    return std::uint16_t((numerator + denominator / 2) / denominator);
}

inline void put16(CodeRecord& record, std::size_t offset, std::uint16_t value)
{
    record[offset] = std::uint8_t(value >> 8);
    record[offset + 1] = std::uint8_t(value & 0xFF);
}

// Writes one code's header and sequence; equal durations share one of the 16 pairs.
inline void putSignal(CodeRecord& record, std::size_t header, std::size_t sequence,
                      const LearnedSignal& signal)
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> pairs;
    std::vector<std::uint8_t> entries;
    auto entry = [&](std::pair<std::uint32_t, std::uint32_t> step) {
        const std::uint16_t gap = units(std::uint64_t(step.first) * 2212, 9600);
        const std::uint16_t burst =
            units(std::uint64_t(step.second) * 2212, std::uint64_t(signal.carrierPeriod) * 1200);
        std::size_t k = 0;
        while (k < pairs.size() && pairs[k] != std::pair{gap, burst})
            ++k;
        if (k == pairs.size() && k < 16)
            pairs.push_back({gap, burst});
        entries.push_back(std::uint8_t(k < 16 ? k : 15));
    };
    for (const auto& step : signal.first)
        entry(step);
    for (const auto& step : signal.repeat)
        entry(step);

    record[header] = CodeMarker;
    record[header + 1] = signal.carrierPeriod;
    put16(record, header + 4, std::uint16_t(signal.first.size()));
    put16(record, header + 6, std::uint16_t(entries.size()));
    put16(record, header + 8, std::uint16_t(signal.first.size()));
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        put16(record, header + 11 + 4 * k, pairs[k].first);
        put16(record, header + 13 + 4 * k, pairs[k].second);
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        record[sequence + i / 2] |= std::uint8_t(i % 2 == 0 ? entries[i] : entries[i] << 4);
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
    CodeRecord record{};
    detail::putSignal(record, 0, 256, a);
    writeName(record, name);
    return record;
}

inline CodeRecord learnedRecord(const LearnedSignal& a, const LearnedSignal& b,
                                std::string_view name = {})
{
    CodeRecord record{};
    detail::putSignal(record, 0, 256, a);
    detail::putSignal(record, 128, 384, b);
    writeName(record, name);
    return record;
}

} // namespace qlv::test
