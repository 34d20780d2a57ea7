#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qlv {

namespace {

// Building a converter costs far more than converting a name: one of each per thread, reset
// before each use so that a name ending in half a character cannot leak into the next.
QStringDecoder& decoder()
{
    thread_local QStringDecoder codePage(DeviceCodePage);
    codePage.resetState();
    return codePage;
}

QStringEncoder& encoder()
{
    thread_local QStringEncoder codePage(DeviceCodePage);
    codePage.resetState();
    return codePage;
}

bool isAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

QString fromCodePage(std::string_view bytes)
{
    // ASCII is the same in the code page, and most names are ASCII.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return decoder().decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

QString nameFromCodePage(std::string_view bytes)
{
    return fromCodePage(bytes.substr(0, bytes.find('\xFF')));
}

QByteArray toCodePage(const QString& text)
{
    return encoder().encode(text);
}

std::string toCodePageCut(const QString& text, std::size_t maxBytes)
{
    QStringEncoder& codePage = encoder();
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        // A surrogate pair is one character.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = codePage.encode(QStringView(text).mid(i, length));
        if (out.size() + std::size_t(bytes.size()) > maxBytes)
            break;
        out.append(bytes.constData(), std::size_t(bytes.size()));
        i += length;
    }
    return out;
}

} // namespace qlv
