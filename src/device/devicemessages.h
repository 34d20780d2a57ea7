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

inline constexpr const char* Verifying = "Verifying...";
inline constexpr const char* VerifyNoDevice = "No found IR device,Verify failed!";
inline constexpr const char* VerifyTimeOut = "Time out,Verify failed!";
inline constexpr const char* VerifyTerminated = "Verify terminated!";
inline constexpr const char* DownloadAgain = "Download again?";
inline constexpr const char* Reading = "Reading the device...";
inline constexpr const char* ReadNoDevice = "No found IR device,Compare failed!";
inline constexpr const char* ReadTimeOut = "Time out,Compare failed!";
inline constexpr const char* ReadTerminated = "Compare terminated!";

inline constexpr const char* TryKeyAgain = "Try the key again?";

inline constexpr const char* NoDevice = "No found IR device!";
inline constexpr const char* LearnCaption = "IR Learn";
inline constexpr const char* StopCaption = "Stop";

} // namespace qlv::msg
