// A code as every other IR tool sees it: a carrier and mark/space durations in microseconds.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace qlv {

// Durations alternate mark (carrier on), space (carrier off), mark, ...; a sequence starts with
// a mark and ends with a space, so it has an even number of entries. All values are positive.
using IrSequence = std::vector<std::uint32_t>;

struct IrSignal {
    std::uint32_t frequency = 0;     // Hz; 0 = no carrier
    std::optional<double> dutyCycle; // 0 < duty < 1, when the source says
    IrSequence intro;                // sent once
    IrSequence repeat;               // sent while the key is held

    bool operator==(const IrSignal&) const = default;
};

} // namespace qlv
