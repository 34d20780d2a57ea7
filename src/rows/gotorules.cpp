#include "gotorules.h"
#include "rowmessages.h"

#include <irdata/hexdigit.h>

#include <cstdint>
#include <limits>

namespace qlv {

std::optional<int> strToInt(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    std::uint64_t value = 0;
    const std::uint64_t limit =
        hex ? 0xFFFFFFFFu
            : std::uint64_t(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    for (; i < n; ++i) {
        const int digit =
            hex ? hexDigitValue(text[i].unicode())
                : (text[i] >= u'0' && text[i] <= u'9' ? text[i].unicode() - u'0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + std::uint64_t(digit);
        if (value > limit)
            return std::nullopt;
    }
    const auto bits = std::uint32_t(value);
    const std::uint32_t signedBits = negative ? std::uint32_t(0) - bits : bits;
    return int(std::int32_t(signedBits));
}

QString notValidIntegerText(const QString& text)
{
    return QString::fromLatin1(NotValidIntegerText).arg(text);
}

bool gotoById(KeyTable& keys, const QString& text, Prompter& prompter)
{
    const std::optional<int> parsed = strToInt(text);
    if (!parsed) {
        prompter.notice(notValidIntegerText(text));
        return false;
    }
    const int n = std::max(*parsed, 1);
    if (n > keys.recordCount()) {
        prompter.notice(QString::fromLatin1(NoSuchRowText).arg(n).arg(keys.recordCount()));
        return false;
    }
    keys.setRecNo(n);
    return true;
}

int findFunction(const KeyTable& keys, const QString& text)
{
    for (int i = 0; i < keys.recordCount(); ++i)
        if (textOf(keys.row(i).function).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool gotoByFunction(KeyTable& keys, const QString& text, Prompter& prompter)
{
    const int found = findFunction(keys, text);
    if (found < 0) {
        prompter.notice(QString::fromLatin1(FunctionNotFoundText).arg(text));
        return false;
    }
    keys.setRecNo(found + 1);
    return true;
}

} // namespace qlv
