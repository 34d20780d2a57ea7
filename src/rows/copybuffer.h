// The main window's store of copied key rows. The system clipboard is not used for rows, and
// the buffer outlives New and Open so that rows move from one project into the next.
#pragma once

#include <irdata/coderecord.h>

#include <QString>

#include <vector>

namespace qlv {

inline constexpr int CopyCapacity = 512;

struct CopyBuffer {
    int copyCount = 0;
    // Entries at and beyond copyCount keep what an earlier Copy left and are never read.
    std::vector<QString> copiedFunctions = std::vector<QString>(CopyCapacity);
    std::vector<QString> copiedRemarks = std::vector<QString>(CopyCapacity);
    std::vector<CodeRecord> copiedIrData = std::vector<CodeRecord>(CopyCapacity);
};

} // namespace qlv
