#include "records.h"

namespace qlv::test {

void putBigEndian16(CodeRecord& record, std::size_t offset, std::uint16_t value)
{
    record[offset] = std::uint8_t(value >> 8);
    record[offset + 1] = std::uint8_t(value & 0xFF);
}

namespace {

void putHeader(CodeRecord& record, std::size_t base, std::uint8_t period, std::uint16_t entries)
{
    record[base] = CodeMarker;
    record[base + 1] = period;
    putBigEndian16(record, base + 4, entries); // repeat range: empty
    putBigEndian16(record, base + 6, entries);
    putBigEndian16(record, base + 8, entries); // first part: entries 0 .. entries-1
    putBigEndian16(record, base + 11, 1000);   // pair 0: gap
    putBigEndian16(record, base + 13, 20);     // pair 0: burst
}

} // namespace

CodeRecord oneCodeRecord(std::uint8_t carrierPeriod, std::string_view name, std::uint16_t entries)
{
    CodeRecord record{};
    putHeader(record, 0, carrierPeriod, entries);
    writeName(record, name);
    return record;
}

CodeRecord twoCodeRecord(std::uint8_t periodA, std::uint8_t periodB, std::string_view name)
{
    CodeRecord record{};
    putHeader(record, 0, periodA, 4);
    putHeader(record, 128, periodB, 4);
    writeName(record, name);
    return record;
}

QByteArray toBytes(const CodeRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
}

} // namespace qlv::test
