// Real remote-control codes in the device's block form, so that learned rows draw real shapes.
#pragma once

#include <irdata/coderecord.h>

#include <utility>

namespace k817t {

// How a capture departs from the remote's ideal timing.
struct Capture {
    // Not 0: every distinct duration is off by up to 4 %, the same way for one seed, as a real
    // receiver's sampling makes it; well within every decoder's tolerance.
    std::uint32_t jitterSeed = 0;
    bool wrongBit = false; // one bit of the command misread
};

// NEC (format 1): leader, 32 bits of address, inverted address, command and inverted command,
// then the repeat code every 108 ms while held; 38 kHz carrier.
qlv::CodeBlock necBlock(std::uint8_t address, std::uint8_t command, const Capture& capture = {});

// RC5 (format 2): the same key twice, toggle bit 0 and toggle bit 1, each with its repeat;
// 36 kHz carrier.
std::pair<qlv::CodeBlock, qlv::CodeBlock> rc5Pair(std::uint8_t address, std::uint8_t command,
                                                  const Capture& capture = {});

} // namespace k817t
