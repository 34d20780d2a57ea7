// One function a command. Each throws UsageError or Failure (errors.h) when it cannot complete.
#pragma once

#include "commands.h"

namespace qlv::cli {

// projectcommands.cpp: whole projects and images.
void runNew(const Invocation& invocation);
void runInfo(const Invocation& invocation);
void runList(const Invocation& invocation);
void runCompile(const Invocation& invocation);
void runImport(const Invocation& invocation);
void runConvert(const Invocation& invocation);

// slotcommands.cpp: one key slot.
void runExportHex(const Invocation& invocation);
void runImportHex(const Invocation& invocation);
void runSetName(const Invocation& invocation);
void runSetRemark(const Invocation& invocation);
void runDecode(const Invocation& invocation);
void runIdentify(const Invocation& invocation);
void runRender(const Invocation& invocation);

// codecommands.cpp: codes in other IR tools' files.
void runImportCodes(const Invocation& invocation);
void runExportCodes(const Invocation& invocation);

// devicecommands.cpp: the K-817T on a serial port.
void runDownload(const Invocation& invocation);
void runUpload(const Invocation& invocation);
void runLearn(const Invocation& invocation);
void runSend(const Invocation& invocation);
void runCompare(const Invocation& invocation);

// portcommands.cpp: the system's serial ports.
void runPorts(const Invocation& invocation);

} // namespace qlv::cli
