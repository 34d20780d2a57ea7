// What the project layer says to the user, in one place.
#pragma once

namespace qlv {

// What an operation on the project says when no project is loaded (a New that failed).
inline constexpr const char* NoProjectText = "No project is open.";
inline constexpr const char* SaveChangesQuestion = "Save changes to current file?";
inline constexpr const char* ResReadErrorText = "RES file read error!";
inline constexpr const char* NotAnImageText = "Not an EEPROM image: %1 bytes, expected %2.";
inline constexpr const char* CannotWriteText = "Cannot write %1: %2";
inline constexpr const char* ImportCodesTitle = "Import codes";
inline constexpr const char* ExportCodesTitle = "Export codes";

} // namespace qlv
