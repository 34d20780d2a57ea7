// Download and upload: all 512 slots in one exchange at 115200 bit/s, acknowledged block by
// block, with "U" or "C" after every slot.
#include "devicelink.h"

#include "devicemessages.h"
#include "frames.h"

#include <core/codepage.h>
#include <core/storeerror.h>
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>

namespace qlv {

namespace {

constexpr int AckSeconds = 3;
constexpr std::size_t HalfSlot = RecordSize / 2;

// Clears the flag however the transfer ends.
struct RunningFlag {
    explicit RunningFlag(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~RunningFlag() { m_flag = false; }
    bool& m_flag;
};

} // namespace

QString uploadResultText(bool completed, int replaced)
{
    const QString count = replaced == 0   ? QStringLiteral("no slots")
                          : replaced == 1 ? QStringLiteral("1 slot")
                                          : QStringLiteral("%1 slots").arg(replaced);
    return (completed ? QStringLiteral("Upload: %1 replaced.")
                      : QStringLiteral("Upload stopped: %1 replaced."))
        .arg(count);
}

bool DeviceLink::readAck(int seconds)
{
    std::uint8_t ack = 0;
    return m_comm.ReadComm(&ack, 1, seconds);
}

void DeviceLink::returnToCommandRate()
{
    m_comm.setBaudRate(CommandRate);
    m_comm.OpenComm(m_comm.commName());
}

void DeviceLink::cancelTransfer()
{
    m_bProgress = false;
}

bool DeviceLink::confirmTransfer(QuestionKind kind, const char* question)
{
    if (m_transferRunning || m_learning || !m_project.requireLoaded())
        return false;
    return m_prompter.ask({kind, QLatin1String(MainCaption), QLatin1String(question)}) ==
           Answer::Yes;
}

TransferEnding DeviceLink::DownloadExecute()
{
    return confirmTransfer(QuestionKind::Download, msg::DownloadQuestion)
               ? downloadAll()
               : TransferEnding::Declined;
}

TransferEnding DeviceLink::UploadExecute()
{
    if (!confirmTransfer(QuestionKind::Upload, msg::UploadQuestion))
        return TransferEnding::Declined;
    const TransferEnding ending = uploadAll();
    // Each slot moved was stored in its row. The box says how the upload ended, not that.
    const bool slotsMoving = ending == TransferEnding::Completed ||
                             ending == TransferEnding::Terminated ||
                             ending == TransferEnding::TimedOut || ending == TransferEnding::Failed;
    if (slotsMoving)
        emit statusMessage(uploadResultText(ending == TransferEnding::Completed, m_slotsMoved),
                           false);
    return ending;
}

TransferEnding DeviceLink::downloadAll(bool announceCompletion)
{
    if (m_transferRunning || m_learning || !m_project.requireLoaded())
        return TransferEnding::Declined;
    KeyTable& keys = m_project.keys();
    m_comm.ClearInput();
    if (!m_comm.WriteComm(downloadAllFrame(m_settings.DeviceId)))
        return TransferEnding::FrameNotSent;
    RunningFlag running(m_transferRunning);
    m_comm.setBaudRate(TransferRate);
    m_comm.OpenComm(m_comm.commName());

    const TransferMessages messages{msg::Downloading, msg::DownloadTerminated,
                                    announceCompletion ? msg::DownloadCompleted : nullptr};
    return transferSlots(messages, [&](std::size_t j) -> std::optional<TransferEnding> {
        // Slots past a short table go out as erased memory, as Compile writes them.
        const CodeRecord block =
            int(j) < keys.recordCount() ? recordOf(keys.current()) : readStored({});
        const std::span<const std::uint8_t> bytes(block);
        // Each half is acknowledged before the next goes out.
        auto sendHalf = [&](std::span<const std::uint8_t> half) {
            m_comm.WriteComm(half);
            return readAck(AckSeconds);
        };
        if (!sendHalf(bytes.first(HalfSlot)) || !sendHalf(bytes.subspan(HalfSlot))) {
            m_prompter.notice(QLatin1String(msg::DownloadNoDevice));
            return TransferEnding::NoDevice;
        }
        return std::nullopt;
    });
}

TransferEnding DeviceLink::uploadAll()
{
    if (m_transferRunning || m_learning || !m_project.requireLoaded())
        return TransferEnding::Declined;
    KeyTable& keys = m_project.keys();
    m_comm.ClearInput();
    if (!m_comm.WriteComm(uploadAllFrame(m_settings.DeviceId)))
        return TransferEnding::FrameNotSent;
    RunningFlag running(m_transferRunning);
    m_comm.setBaudRate(TransferRate);
    m_comm.OpenComm(m_comm.commName());
    if (!readAck(AckSeconds)) {
        m_prompter.notice(QLatin1String(msg::UploadNoDevice));
        returnToCommandRate();
        return TransferEnding::NoDevice;
    }

    std::array<std::uint8_t, RecordSize> block{};
    const TransferMessages messages{msg::Uploading, msg::UploadTerminated, msg::UploadCompleted};
    return transferSlots(messages, [&](std::size_t j) -> std::optional<TransferEnding> {
        if (!m_comm.ReadComm(block.data(), RecordSize, AckSeconds)) {
            m_prompter.notice(QLatin1String(msg::UploadTimeOut));
            return TransferEnding::TimedOut;
        }
        if (int(j) >= keys.recordCount())
            return std::nullopt;
        const CodeRecord record = importedSlot(block);
        KeyRow row = keys.current();
        row.function = nameFromCodePage(nameText(record));
        row.irData = bytesOf(record);
        try {
            keys.post(row);
        } catch (const StoreError& error) {
            // The device is told to stop, so it does not wait for a word that never comes.
            m_comm.WriteControl(ControlStop);
            m_prompter.notice(error.text());
            return TransferEnding::Failed;
        }
        return std::nullopt;
    });
}

TransferEnding DeviceLink::transferSlots(const TransferMessages& messages,
                                         const std::function<SlotStep>& moveSlot)
{
    KeyTable& keys = m_project.keys();
    setControlsEnabled(false, false);
    TransferEnding ending = TransferEnding::Completed;
    std::size_t j = 0;
    m_slotsMoved = 0;
    {
        ControlsDisabled frozen(keys);
        {
            ScrollHandlerDetached detached(keys);
            m_bProgress = true;
            emit progressShown(QLatin1String(messages.running));
            keys.first();
            for (; j < SlotCount; ++j) {
                if (const std::optional<TransferEnding> failed = moveSlot(j)) {
                    ending = *failed;
                    break;
                }
                m_slotsMoved = int(j) + 1;
                if (!continueAfterSlot(j, messages.terminated)) {
                    ending = TransferEnding::Terminated;
                    break;
                }
                keys.next();
            }
        }
        keys.first();
    }
    emit progressHidden();
    if (j == SlotCount && messages.completed)
        m_prompter.tell(
            {NoticeKind::Completed, QString(), QLatin1String(messages.completed), QString()});
    setControlsEnabled(true, true);
    returnToCommandRate();
    return ending;
}

bool DeviceLink::continueAfterSlot(std::size_t slot, const char* terminatedMessage)
{
    emit progressChanged(int(slot));
    // The flag is looked at once a slot, so a Cancel never cuts a slot in half.
    if (!m_bProgress) {
        m_comm.WriteControl(ControlStop);
        m_prompter.notice(QLatin1String(terminatedMessage));
        return false;
    }
    m_comm.WriteControl(ControlContinue);
    return true;
}

} // namespace qlv
