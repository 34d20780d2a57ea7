// Verified download: the EEPROM read back into memory after a download and compared with what
// was sent, since no frame, block or image of the transfer carries a checksum.
#include "devicelink.h"

#include "devicemessages.h"
#include "frames.h"

#include <irdata/eepromimage.h>
#include <project/derivedfields.h>

namespace qlv {

namespace {

constexpr int AckSeconds = 3;
// Upload forces it to 0, whatever was sent.
constexpr std::size_t IgnoredByte = 255;

struct ReadTexts {
    const char* running;
    const char* noDevice;
    const char* timeOut;
    const char* terminated;
};

const ReadTexts& readTexts(ReadPurpose purpose)
{
    static const ReadTexts verify{msg::Verifying, msg::VerifyNoDevice, msg::VerifyTimeOut,
                                  msg::VerifyTerminated};
    static const ReadTexts compare{msg::Reading, msg::ReadNoDevice, msg::ReadTimeOut,
                                   msg::ReadTerminated};
    return purpose == ReadPurpose::Verify ? verify : compare;
}

bool sameSlot(const CodeRecord& sent, const CodeRecord& read)
{
    for (std::size_t i = 0; i < RecordSize; ++i)
        if (i != IgnoredByte && sent[i] != read[i])
            return false;
    return true;
}

} // namespace

QString slotListText(const std::vector<int>& ids)
{
    QStringList parts;
    for (std::size_t i = 0; i < ids.size();) {
        std::size_t end = i;
        while (end + 1 < ids.size() && ids[end + 1] == ids[end] + 1)
            ++end;
        if (end - i >= 2) {
            parts << QStringLiteral("%1-%2").arg(ids[i]).arg(ids[end]);
        } else {
            for (std::size_t k = i; k <= end; ++k)
                parts << QString::number(ids[k]);
        }
        i = end + 1;
    }
    const bool one = ids.size() == 1;
    return QStringLiteral("%1 %2").arg(one ? QStringLiteral("slot") : QStringLiteral("slots"),
                                       parts.join(QStringLiteral(", ")));
}

QString verifyResultText(const VerifyOutcome& outcome)
{
    if (outcome.differing.empty())
        return QStringLiteral("Download verified: %1 slots identical.").arg(qsizetype(SlotCount));
    return QStringLiteral("Verify failed: %1 %2.")
        .arg(slotListText(outcome.differing),
             outcome.differing.size() == 1 ? QStringLiteral("differs") : QStringLiteral("differ"));
}

EepromRead DeviceLink::readEeprom(ReadPurpose purpose)
{
    if (m_transferRunning || m_learning || !m_project.requireLoaded())
        return {};
    const ReadTexts& texts = readTexts(purpose);
    m_comm.ClearInput();
    if (!m_comm.WriteComm(uploadAllFrame(m_settings.DeviceId)))
        return {TransferEnding::FrameNotSent, {}};
    m_transferRunning = true;
    m_comm.setBaudRate(TransferRate);
    m_comm.OpenComm(m_comm.commName());
    if (!readAck(AckSeconds)) {
        m_prompter.notice(QLatin1String(texts.noDevice));
        m_transferRunning = false;
        returnToCommandRate();
        return {TransferEnding::NoDevice, {}};
    }

    EepromRead read;
    read.records.reserve(SlotCount);
    std::array<std::uint8_t, RecordSize> block{};
    const TransferMessages messages{texts.running, texts.terminated, nullptr};
    read.ending = transferSlots(messages, [&](std::size_t) -> std::optional<TransferEnding> {
        if (!m_comm.ReadComm(block.data(), RecordSize, AckSeconds)) {
            m_prompter.notice(QLatin1String(texts.timeOut));
            return TransferEnding::TimedOut;
        }
        read.records.push_back(importedSlot(block));
        return std::nullopt;
    });
    m_transferRunning = false;
    if (read.ending != TransferEnding::Completed)
        read.records.clear();
    return read;
}

VerifyOutcome DeviceLink::verifyPass()
{
    VerifyOutcome outcome;
    outcome.ending = downloadAll(false);
    if (outcome.ending != TransferEnding::Completed)
        return outcome;
    const EepromRead read = readEeprom(ReadPurpose::Verify);
    outcome.ending = read.ending;
    if (read.ending != TransferEnding::Completed)
        return outcome;
    // What the download sent, as it sent it: rows past a short table went out erased.
    const KeyTable& keys = m_project.keys();
    for (std::size_t j = 0; j < SlotCount; ++j) {
        const bool inTable = int(j) < keys.recordCount();
        const CodeRecord sent = inTable ? recordOf(keys.row(int(j))) : readStored({});
        if (!sameSlot(sent, read.records[j]))
            outcome.differing.push_back(inTable ? keys.row(int(j)).id : int(j) + 1);
    }
    outcome.verified = true;
    return outcome;
}

VerifyOutcome DeviceLink::downloadVerified()
{
    const VerifyOutcome outcome = verifyPass();
    if (outcome.verified)
        m_prompter.tell({outcome.differing.empty() ? NoticeKind::Completed : NoticeKind::Message,
                         QString(), verifyResultText(outcome), QString()});
    return outcome;
}

VerifyOutcome DeviceLink::DownloadVerifiedExecute()
{
    if (!confirmTransfer(QuestionKind::Download, msg::DownloadQuestion))
        return {};
    const QString title = QLatin1String(MainCaption);
    for (;;) {
        const VerifyOutcome outcome = verifyPass();
        if (!outcome.verified)
            return outcome;
        if (outcome.differing.empty()) {
            m_prompter.tell(
                {NoticeKind::Completed, QString(), verifyResultText(outcome), QString()});
            return outcome;
        }
        const QString again = verifyResultText(outcome) + u'\n' + QLatin1String(msg::DownloadAgain);
        if (m_prompter.ask({QuestionKind::DownloadAgain, title, again}) != Answer::Yes)
            return outcome;
    }
}

} // namespace qlv
