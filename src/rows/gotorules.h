// Go to a row by its ID or by its function name, and the integer rules the ID text follows.
#pragma once

#include <core/prompter.h>
#include <project/keytable.h>

#include <QString>

#include <optional>

namespace qlv {

// Leading blanks, an optional sign, then decimal digits, or hexadecimal ones after "$", "x"
// or "0x" (either case); nothing may follow. Nothing when the text breaks a rule or the value
// does not fit 32 bits (hexadecimal up to FFFFFFFF, read as a signed value).
std::optional<int> strToInt(const QString& text);
QString notValidIntegerText(const QString& text);

// Each shows its failure through the prompter and then leaves the current row where it was.
bool gotoById(KeyTable& keys, const QString& text, Prompter& prompter);
bool gotoByFunction(KeyTable& keys, const QString& text, Prompter& prompter);

// The first row, from the top, whose "Function" equals text ignoring case; -1 when none.
int findFunction(const KeyTable& keys, const QString& text);

} // namespace qlv
