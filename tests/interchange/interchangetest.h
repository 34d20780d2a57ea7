// Helpers the format tests share: fixture files and short views of parse results.
#pragma once

#include "interchange/interchange.h"

#include <QFile>
#include <QString>
#include <QTest>

#include <string>

namespace qlv::interchange::test {

// The text of QLV_FIXTURES/ir/NAME, or a null string when the folder does not hold it.
inline QByteArray irFixture(const char* name)
{
    const QString folder = qEnvironmentVariable("QLV_FIXTURES");
    if (folder.isEmpty())
        return {};
    QFile file(folder + "/ir/" + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

#define QLV_IR_FIXTURE(var, name)                                                                  \
    const QByteArray var = qlv::interchange::test::irFixture(name);                                \
    if (var.isNull())                                                                              \
        QSKIP(name " is not in the QLV_FIXTURES/ir folder");

inline std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

inline const IrSignal& signalOf(const NamedCode& code)
{
    return std::get<IrSignal>(code.code);
}

inline QString describe(const ProtocolCode& code)
{
    QString out = QString::fromStdString(code.protocol);
    for (const auto& p : code.parameters)
        out += QStringLiteral(" %1=%2").arg(QString::fromStdString(p.name)).arg(p.value);
    return out;
}

inline QString describe(const NamedCode& code)
{
    if (const auto* protocol = std::get_if<ProtocolCode>(&code.code))
        return describe(*protocol);
    return QStringLiteral("raw");
}

inline QStringList errorTexts(const ParseResult& result)
{
    QStringList out;
    for (const auto& error : result.errors)
        out << QString::fromStdString(error.text());
    return out;
}

} // namespace qlv::interchange::test
