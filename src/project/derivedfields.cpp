#include "derivedfields.h"

#include <core/codepage.h>

namespace qlv {

std::span<const std::uint8_t> storedBytes(const std::optional<QByteArray>& irData)
{
    if (!irData)
        return {};
    return {reinterpret_cast<const std::uint8_t*>(irData->constData()),
            std::size_t(irData->size())};
}

CodeRecord recordOf(const KeyRow& row)
{
    return readStored(storedBytes(row.irData));
}

QByteArray bytesOf(const CodeRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
}

KeyRow withDerivedFields(KeyRow row)
{
    const CodeRecord record = recordOf(row);
    row.format = QString::fromLatin1(formatText(record));
    row.carry = QString::fromLatin1(carryText(record));
    row.function = nameFromCodePage(nameText(record));
    return row;
}

} // namespace qlv
