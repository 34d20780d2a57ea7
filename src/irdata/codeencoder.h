// The inverse of codeSteps: a code given as durations, in the block form the device delivers.
// The simulator builds its learned codes with it, and tests their records.
#pragma once

#include "coderecord.h"

#include <optional>
#include <span>
#include <vector>

namespace qlv {

// One sequence entry as durations: a gap without carrier, then a burst with it.
struct TimedStep {
    double gapUs = 0;
    double burstUs = 0;
};

// The first part, then the repeat range; steps of equal durations share one of the 16 timing
// pairs. Nothing when the code needs more than 16 pairs or 512 entries.
std::optional<CodeBlock> encodeCodeBlock(std::uint8_t carrierPeriod,
                                         std::span<const TimedStep> first,
                                         std::span<const TimedStep> repeat);

// Durations in the device's units, rounded to the nearest: gaps count 8 ticks, bursts carrier
// periods of P ticks (P = 0 counts single microseconds; the device then sends 8 us anyway).
long gapUnits(double gapUs);
long burstPeriods(double burstUs, std::uint8_t carrierPeriod);

// A code already in the device's terms; codeBlock lays it out. Pairs beyond 16, values beyond
// 16 bits and entries beyond 512 are the caller's to refuse: they are cut here.
struct QuantisedCode {
    std::uint8_t carrierPeriod = 0;
    std::vector<TimingPair> pairs;
    std::vector<std::uint8_t> entries;
    std::uint16_t firstLength = 0;
    std::uint16_t repeatStart = 0;
    std::uint16_t repeatEnd = 0;
};

CodeBlock codeBlock(const QuantisedCode& code);

} // namespace qlv
