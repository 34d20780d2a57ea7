// What the row operations and the go-to rules say to the user, in one place.
#pragma once

namespace qlv {

inline constexpr const char* DeleteQuestion = "Really delete IR data in selection items?";
inline constexpr const char* NotValidIntegerText = "'%1' is not a valid integer value";
inline constexpr const char* NoSuchRowText = "There is no row %1: the IDs run from 1 to %2.";
inline constexpr const char* FunctionNotFoundText = "Not found %1!";

} // namespace qlv
