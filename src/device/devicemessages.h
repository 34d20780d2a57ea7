// The device link's texts, exactly as the user sees them.
#pragma once

namespace qlv::msg {

inline constexpr const char* OpenErrorText = "Error opening serial port!";
inline constexpr const char* OpenErrorTitle = "Open Error";
inline constexpr const char* SetErrorText = "Error setting serial port!";
inline constexpr const char* SetErrorTitle = "Set Error";
inline constexpr const char* NoPort = "No port";
inline constexpr const char* ClosedPortName = "NoPort";
inline constexpr const char* CloseEntry = "Close";

inline constexpr const char* DownloadQuestion =
    "Download will replace data in EEPROM by current qlv file.\nAre you really do it?";
inline constexpr const char* UploadQuestion =
    "Upload will replace data in current qlv file by data in EEPROM.\nAre you really do it?";
inline constexpr const char* Downloading = "Downloading...";
inline constexpr const char* Uploading = "Uploading...";
inline constexpr const char* DownloadNoDevice = "No found IR device.Download failed!";
inline constexpr const char* DownloadTerminated = "Download terminated!";
inline constexpr const char* DownloadCompleted = "Download completed.";
inline constexpr const char* UploadNoDevice = "No found IR device,Upload failed!";
inline constexpr const char* UploadTimeOut = "Time out,Upload failed!";
inline constexpr const char* UploadTerminated = "Upload terminated!";
inline constexpr const char* UploadCompleted = "Upload completed.";

inline constexpr const char* NoDevice = "No found IR device!";
inline constexpr const char* LearnCaption = "IR Learn";
inline constexpr const char* StopCaption = "Stop";

} // namespace qlv::msg
