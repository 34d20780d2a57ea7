// The project's slots against what the device holds, and the learn-twice check of two
// captures of one key: what is the same, what differs, and how.
#pragma once

#include <irdata/coderecord.h>

#include <QString>

#include <vector>

namespace qlv {

class KeyTable;

enum class SlotDifference {
    Equal,
    NameOnly,
    CodeOnly,
    NameAndCode,
    EmptyInProject, // the device holds a code, the project's slot none
    EmptyInDevice,
};

struct SlotComparison {
    int row = 0; // 0-based index in the key table
    int id = 0;
    SlotDifference difference = SlotDifference::Equal;
    QString projectName;
    QString deviceName;
    QString projectCode; // the decode ("NEC1 D=4 S=251 F=8"), empty without a code
    QString deviceCode;
};

// "equal", "name only", "code only", "name and code", "empty in project", "empty in device"
QString differenceText(SlotDifference difference);

// device: the EEPROM's slots as readEeprom took them. Byte 255 takes no part.
std::vector<SlotComparison> compareWithDevice(const KeyTable& keys,
                                              const std::vector<CodeRecord>& device);

// "Take from device": the device's slots into these rows (0-based) as upload stores them,
// name and code, as one batch of row posts. Returns how many rows were stored; a StoreError
// of a post propagates with the rows before it stored.
int takeFromDevice(KeyTable& keys, const std::vector<CodeRecord>& device,
                   const std::vector<int>& rows);

// Two captures of one key, compared after decoding: the same protocol and parameters, or for
// codes no protocol matches, every duration within the decoder's default tolerance.
struct CaptureComparison {
    bool same = false;
    QString first;  // the first capture's decode, as recordSummary gives it
    QString second; // the second's
};
CaptureComparison compareCaptures(const CodeRecord& first, const CodeRecord& second);

// "Slot 12: two identical captures (NEC1 D=4 S=251 F=8)"
QString identicalCapturesText(int id, const CaptureComparison& comparison);
// "Slot 12: the two captures differ (NEC1 D=4 S=251 F=8, then NEC1 D=4 S=251 F=12)."
QString differingCapturesText(int id, const CaptureComparison& comparison);

} // namespace qlv
