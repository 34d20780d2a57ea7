// The device keeps names as bytes of an 8-bit Chinese code page; this is the one place that
// converts between those bytes and text.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace qlv {

inline constexpr const char* DeviceCodePage = "GBK";

QString fromCodePage(std::string_view bytes);
QByteArray toCodePage(const QString& text);

// A record's name field as text. 0xFF never occurs in the code page's text but is what erased
// device memory and the image filler hold, so it ends the name like a NUL.
QString nameFromCodePage(std::string_view bytes);

// The longest leading part of text whose code-page form fits in maxBytes, cut between
// characters so that no double-byte character is split.
std::string toCodePageCut(const QString& text, std::size_t maxBytes);

} // namespace qlv
