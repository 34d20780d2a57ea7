// "Format", "Carry" and "Function" follow the row's record after every post.
#pragma once

#include "keyrow.h"

#include <irdata/coderecord.h>

#include <span>

namespace qlv {

std::span<const std::uint8_t> storedBytes(const std::optional<QByteArray>& irData);
CodeRecord recordOf(const KeyRow& row);
QByteArray bytesOf(const CodeRecord& record);

// The row with its three derived texts set from its record.
KeyRow withDerivedFields(KeyRow row);

} // namespace qlv
