// Real remote-control codes in the device's block form, so that learned rows draw real shapes.
#pragma once

#include <irdata/coderecord.h>

#include <utility>

namespace k817t {

// NEC (format 1): leader, 32 bits of address, inverted address, command and inverted command,
// then the repeat code every 108 ms while held; 38 kHz carrier.
qlv::CodeBlock necBlock(std::uint8_t address, std::uint8_t command);

// RC5 (format 2): the same key twice, toggle bit 0 and toggle bit 1, each with its repeat;
// 36 kHz carrier.
std::pair<qlv::CodeBlock, qlv::CodeBlock> rc5Pair(std::uint8_t address, std::uint8_t command);

} // namespace k817t
