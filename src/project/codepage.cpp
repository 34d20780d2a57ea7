#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qlv {

QString fromCodePage(std::string_view bytes)
{
    QStringDecoder decoder(DeviceCodePage);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

QString nameFromCodePage(std::string_view bytes)
{
    return fromCodePage(bytes.substr(0, bytes.find('\xFF')));
}

QByteArray toCodePage(const QString& text)
{
    QStringEncoder encoder(DeviceCodePage);
    return encoder.encode(text);
}

std::string toCodePageCut(const QString& text, std::size_t maxBytes)
{
    QStringEncoder encoder(DeviceCodePage);
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        // A surrogate pair is one character.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = encoder.encode(QStringView(text).mid(i, length));
        if (out.size() + std::size_t(bytes.size()) > maxBytes)
            break;
        out.append(bytes.constData(), std::size_t(bytes.size()));
        i += length;
    }
    return out;
}

} // namespace qlv
