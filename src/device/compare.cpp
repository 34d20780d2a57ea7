#include "compare.h"

#include <core/codepage.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/keytable.h>

#include <algorithm>
#include <cmath>

namespace qlv {

namespace {

constexpr std::size_t NameEnd = SequenceOffset; // the name field and byte 255

bool codeBytesEqual(const CodeRecord& a, const CodeRecord& b)
{
    for (std::size_t i = 0; i < RecordSize; ++i)
        if ((i < NameOffset || i >= NameEnd) && a[i] != b[i])
            return false;
    return true;
}

QString nameOf(const CodeRecord& record)
{
    return nameFromCodePage(nameText(record));
}

QString codeOf(const CodeRecord& record)
{
    if (!hasCode(record, Code::A))
        return {};
    return QString::fromStdString(recordSummary(record, " / "));
}

// The decoder's default tolerance: 100 us, or 30 % of the longer duration.
bool durationsClose(std::uint32_t a, std::uint32_t b)
{
    const double difference = std::abs(double(a) - double(b));
    return difference <= 100 || difference <= 0.3 * std::max(a, b);
}

bool sequencesClose(const IrSequence& a, const IrSequence& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), durationsClose);
}

bool sameCapture(const CodeRecord& first, const CodeRecord& second, Code code)
{
    if (hasCode(first, code) != hasCode(second, code))
        return false;
    if (!hasCode(first, code))
        return true;
    const std::optional<DecodedCode> a = decodeCode(first, code);
    const std::optional<DecodedCode> b = decodeCode(second, code);
    if (a || b)
        return a && b && a->protocol == b->protocol && a->parameters == b->parameters;
    const IrSignal sa = signalFromCode(first, code);
    const IrSignal sb = signalFromCode(second, code);
    return durationsClose(sa.frequency, sb.frequency) && sequencesClose(sa.intro, sb.intro) &&
           sequencesClose(sa.repeat, sb.repeat);
}

} // namespace

QString differenceText(SlotDifference difference)
{
    switch (difference) {
    case SlotDifference::Equal:
        return QStringLiteral("equal");
    case SlotDifference::NameOnly:
        return QStringLiteral("name only");
    case SlotDifference::CodeOnly:
        return QStringLiteral("code only");
    case SlotDifference::NameAndCode:
        return QStringLiteral("name and code");
    case SlotDifference::EmptyInProject:
        return QStringLiteral("empty in project");
    case SlotDifference::EmptyInDevice:
        return QStringLiteral("empty in device");
    }
    return {};
}

std::vector<SlotComparison> compareWithDevice(const KeyTable& keys,
                                              const std::vector<CodeRecord>& device)
{
    std::vector<SlotComparison> result;
    const int rows = std::min(keys.recordCount(), int(device.size()));
    result.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const CodeRecord project = recordOf(keys.row(row));
        const CodeRecord& held = device[std::size_t(row)];
        SlotComparison slot;
        slot.row = row;
        slot.id = keys.row(row).id;
        slot.projectName = nameOf(project);
        slot.deviceName = nameOf(held);
        slot.projectCode = codeOf(project);
        slot.deviceCode = codeOf(held);
        const bool projectHasCode = hasCode(project, Code::A);
        const bool deviceHasCode = hasCode(held, Code::A);
        const bool namesDiffer = slot.projectName != slot.deviceName;
        if (projectHasCode != deviceHasCode) {
            slot.difference =
                projectHasCode ? SlotDifference::EmptyInDevice : SlotDifference::EmptyInProject;
        } else {
            // Two slots without a code differ in nothing but their names.
            const bool codesDiffer = projectHasCode && !codeBytesEqual(project, held);
            slot.difference = namesDiffer && codesDiffer ? SlotDifference::NameAndCode
                              : codesDiffer              ? SlotDifference::CodeOnly
                              : namesDiffer              ? SlotDifference::NameOnly
                                                         : SlotDifference::Equal;
        }
        result.push_back(slot);
    }
    return result;
}

int takeFromDevice(KeyTable& keys, const std::vector<CodeRecord>& device,
                   const std::vector<int>& rows)
{
    int stored = 0;
    for (const int row : rows) {
        if (row < 0 || row >= keys.recordCount() || std::size_t(row) >= device.size())
            continue;
        const CodeRecord& record = device[std::size_t(row)];
        keys.setRecNo(row + 1);
        KeyRow values = keys.current();
        values.function = nameOf(record);
        values.irData = bytesOf(record);
        keys.post(values);
        ++stored;
    }
    return stored;
}

CaptureComparison compareCaptures(const CodeRecord& first, const CodeRecord& second)
{
    CaptureComparison comparison;
    auto capturedCode = [](const CodeRecord& record) {
        return hasCode(record, Code::A) ? codeOf(record) : QStringLiteral("no code");
    };
    comparison.first = capturedCode(first);
    comparison.second = capturedCode(second);
    comparison.same = hasCode(first, Code::A) && sameCapture(first, second, Code::A) &&
                      sameCapture(first, second, Code::B);
    return comparison;
}

QString identicalCapturesText(int id, const CaptureComparison& comparison)
{
    return QStringLiteral("Slot %1: two identical captures (%2)").arg(id).arg(comparison.first);
}

QString differingCapturesText(int id, const CaptureComparison& comparison)
{
    if (comparison.first == comparison.second)
        return QStringLiteral("Slot %1: the two captures differ in their timing (%2).")
            .arg(id)
            .arg(comparison.first);
    return QStringLiteral("Slot %1: the two captures differ (%2, then %3).")
        .arg(id)
        .arg(comparison.first, comparison.second);
}

} // namespace qlv
