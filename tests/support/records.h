// Records built byte by byte for tests, in the shapes the device produces.
#pragma once

#include <irdata/coderecord.h>

#include <QByteArray>

#include <cstdint>
#include <string_view>

namespace qlv::test {

// A one-code record: marker, carrier period, one pair (gap, burst) and n entries of pair 0.
CodeRecord oneCodeRecord(std::uint8_t carrierPeriod, std::string_view name = {},
                         std::uint16_t entries = 4);
// Code A as above plus code B at byte 128 with its own period.
CodeRecord twoCodeRecord(std::uint8_t periodA, std::uint8_t periodB, std::string_view name = {});

void putBigEndian16(CodeRecord& record, std::size_t offset, std::uint16_t value);

QByteArray toBytes(const CodeRecord& record);

} // namespace qlv::test
