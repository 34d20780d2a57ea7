// The inverse of codeSteps: a code given as durations, in the block form the device delivers.
// The simulator builds its learned codes with it, and tests their records.
#pragma once

#include "coderecord.h"

#include <optional>
#include <span>

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

} // namespace qlv
