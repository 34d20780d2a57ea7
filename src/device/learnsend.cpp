// IR learn into the selected rows, the hold-to-send of one row, and the stop frame.
#include "devicelink.h"

#include "compare.h"
#include "devicemessages.h"
#include "frames.h"

#include <core/codepage.h>
#include <core/storeerror.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace qlv {

namespace {

constexpr unsigned long PauseAfterCodeMs = 1200;
constexpr unsigned long ReplyDelayMs = 50;
constexpr int HeldPollMs = 10;
constexpr int LearnAckSeconds = 1;
constexpr int StopReplySeconds = 3;

} // namespace

QString learnInstructionText(int id, const QString& name, bool again)
{
    const QString slot = name.isEmpty() ? QStringLiteral("Slot %1").arg(id)
                                        : QStringLiteral("Slot %1 (%2)").arg(id).arg(name);
    return slot + QStringLiteral(": point the remote at the K-817T and press the key") +
           (again ? QStringLiteral(" again") : QString());
}

QString learnedText(int id, const CodeRecord& record)
{
    if (decodeCode(record, Code::A))
        return QStringLiteral("Slot %1 learned: %2")
            .arg(id)
            .arg(QString::fromStdString(recordSummary(record, " / ")));
    return QStringLiteral("Slot %1 learned: %2 format, %3 kHz")
        .arg(id)
        .arg(QString::fromStdString(formatText(record)))
        .arg(carrierHz(record[1]) / 1000.0, 0, 'f', 1);
}

QString noCodeToSendText(int id)
{
    return QStringLiteral("Slot %1 has no code to send.").arg(id);
}

bool DeviceLink::waitForLearnedCode(std::uint32_t expected)
{
    m_learnWaiting = true;
    bool arrived = false;
    while (m_learning) {
        m_comm.PollStatus();
        if (m_comm.waitingCount() >= expected) {
            arrived = true;
            break;
        }
        // No limit on the wait, but a port that is gone will deliver nothing.
        if (!m_comm.portOpen())
            break;
        m_comm.hComm().waitForBytes(expected, -1);
    }
    m_learnWaiting = false;
    return arrived;
}

LearnOutcome DeviceLink::IRLearnExecute(std::vector<int> selectedRows)
{
    // The format is taken once with the frame: the expected length and the record's layout
    // must match what the device was asked for, even if the setting changes meanwhile.
    const std::uint8_t irFormat = m_settings.IrFormat;
    const Frame frame = learnFrame(m_settings.DeviceId, m_settings.LearnTime, irFormat);
    if (m_learning) {
        m_learning = false;
        if (m_learnWaiting)
            m_comm.hComm().interruptWait();
        return {LearnEnding::StopRequested, 0};
    }
    KeyTable& keys = m_project.keys();
    if (m_transferRunning || m_holdSending || !m_project.requireLoaded())
        return {LearnEnding::NotStarted, 0};

    std::erase_if(selectedRows, [&](int row) { return row < 0 || row >= keys.recordCount(); });
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    if (selectedRows.empty())
        selectedRows.push_back(keys.currentIndex());
    const std::uint32_t expected = irFormat == 2 ? 2 * BlockSize : BlockSize;
    const bool shiftPrevious = selectedRows.size() > 1;

    LearnOutcome outcome{LearnEnding::Completed, 0};
    const bool twice = m_settings.learnTwice;
    // LEARN, its acknowledgement and the code; nothing when the run must end (outcome says why).
    // The instruction stays until the key arrives; a run that ends without it takes it away.
    bool instructionShown = false;
    auto capture = [&](const std::string& name, bool again) -> std::optional<CodeRecord> {
        m_comm.ClearInput();
        if (!m_comm.WriteComm(frame)) {
            outcome.ending = LearnEnding::WriteFailed;
            return std::nullopt;
        }
        if (!readAck(LearnAckSeconds)) {
            m_prompter.notice(QLatin1String(msg::NoDevice));
            outcome.ending = LearnEnding::NoDevice;
            return std::nullopt;
        }
        emit learnCaptionChanged(QLatin1String(msg::StopCaption));
        emit keyAwaited();
        const KeyRow& row = keys.current();
        emit statusMessage(learnInstructionText(row.id, textOf(row.function), again), true);
        instructionShown = true;
        setControlsEnabled(false, true);
        if (!waitForLearnedCode(expected)) {
            outcome.ending = m_learning ? LearnEnding::LineLost : LearnEnding::Stopped;
            return std::nullopt;
        }
        m_comm.PollStatus();
        const std::span<const std::uint8_t> received = m_comm.readWaiting(4096);
        return assembleLearned(received, irFormat, name);
    };
    {
        ScrollHandlerDetached detached(keys);
        m_learning = true;
        for (const int row : selectedRows) {
            if (!m_learning) {
                outcome.ending = LearnEnding::Stopped;
                break;
            }
            keys.setRecNo(row + 1);
            const std::string name = toCodePageCut(textOf(keys.current().function), NameMaxBytes);
            std::optional<CodeRecord> learned = capture(name, false);
            // Learning twice: the second capture must say the same, else the row stays.
            while (learned && twice) {
                QThread::msleep(PauseAfterCodeMs);
                if (!m_learning) {
                    outcome.ending = LearnEnding::Stopped;
                    learned.reset();
                    break;
                }
                const std::optional<CodeRecord> again = capture(name, true);
                if (!again) {
                    learned.reset();
                    break;
                }
                const CaptureComparison comparison = compareCaptures(*learned, *again);
                if (comparison.same) {
                    instructionShown = false;
                    emit learnChecked(identicalCapturesText(keys.current().id, comparison));
                    break;
                }
                const QString question = differingCapturesText(keys.current().id, comparison) +
                                         u'\n' + QLatin1String(msg::TryKeyAgain);
                if (m_prompter.ask({QuestionKind::TryKeyAgain, QLatin1String(MainCaption),
                                    question}) != Answer::Yes) {
                    ++outcome.rowsMismatched;
                    learned.reset();
                    break;
                }
                QThread::msleep(PauseAfterCodeMs);
                learned = capture(name, false);
            }
            if (!learned) {
                if (outcome.ending != LearnEnding::Completed)
                    break;
                // A mismatch the user let go: the row as it was, on to the next after the pause.
                QThread::msleep(PauseAfterCodeMs);
                continue;
            }

            KeyRow values = keys.current();
            values.irData = bytesOf(*learned);
            try {
                keys.post(values);
            } catch (const StoreError& error) {
                m_prompter.notice(error.text());
                outcome.ending = LearnEnding::Failed;
                break;
            }
            ++outcome.rowsLearned;
            // Learning twice, the captures' agreement has said what arrived.
            if (!twice)
                emit statusMessage(learnedText(keys.current().id, *learned), false);
            instructionShown = false;
            emit learnedCodeShown(shiftPrevious);
            // A plain pause: the device needs it before the next LEARN, and nothing may run.
            QThread::msleep(PauseAfterCodeMs);
        }
    }
    if (instructionShown)
        emit statusMessage(QString(), false);
    m_comm.WriteComm(escFrame());
    emit learnCaptionChanged(QLatin1String(msg::LearnCaption));
    setControlsEnabled(true, true);
    m_learning = false;
    return outcome;
}

SendOutcome DeviceLink::IRSendStart()
{
    const KeyTable& keys = m_project.keys();
    if (keys.recordCount() == 0)
        return SendOutcome::NoCode;
    const CodeRecord record = recordOf(keys.current());
    const std::optional<CodeBlock> block = sendBlock(record, m_alternate);
    if (!block)
        return SendOutcome::NoCode;
    m_comm.ClearInput();
    if (!m_comm.WriteComm(sendFrame(m_settings.DeviceId, m_settings.IrPortMask)))
        return SendOutcome::WriteFailed;
    QThread::msleep(ReplyDelayMs);
    m_comm.PollStatus();
    std::optional<std::uint8_t> reply;
    if (m_comm.waitingCount() == 1) {
        const std::span<const std::uint8_t> byte = m_comm.readWaiting(1);
        if (byte.size() == 1)
            reply = byte[0];
    }
    if (reply == SendBusy)
        return SendOutcome::Busy;
    if (reply != SendGo) {
        m_prompter.notice(QLatin1String(msg::NoDevice));
        return SendOutcome::NoDevice;
    }
    // The pieces as sendBlock cut them: code B's header and its two sequence halves, or a
    // header and the whole sequence.
    const std::span<const std::uint8_t> body(*block);
    if (isTwoCodeRecord(record) && m_alternate) {
        m_comm.WriteComm(body.first(HeaderSize));
        m_comm.WriteComm(body.subspan(HeaderSize, 128));
        m_comm.WriteComm(body.subspan(HeaderSize + 128));
    } else {
        m_comm.WriteComm(body.first(HeaderSize));
        m_comm.WriteComm(body.subspan(HeaderSize));
    }
    return SendOutcome::Sent;
}

SendOutcome DeviceLink::holdToSend(const std::function<bool()>& stillHeld)
{
    if (m_holdSending || m_transferRunning || m_learning)
        return SendOutcome::Ignored;
    QCoreApplication::processEvents();
    const SendOutcome sent = IRSendStart();
    if (sent == SendOutcome::NoCode && m_project.keys().recordCount() > 0)
        emit statusMessage(noCodeToSendText(m_project.keys().current().id), false);
    if (sent != SendOutcome::Sent)
        return sent;
    m_holdSending = true;
    emit portLampsChanged(m_settings.IrPortMask);
    if (stillHeld()) {
        // Handlers keep running while the button is held; the loop only wakes to look at it.
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(HeldPollMs);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!stillHeld())
                loop.quit();
        });
        poll.start();
        loop.exec();
    }
    QThread::msleep(ReplyDelayMs);
    IRStopExecute();
    std::array<std::uint8_t, 4> reply{};
    m_comm.ReadComm(reply.data(), std::uint32_t(reply.size()), StopReplySeconds);
    emit portLampsChanged(0);
    m_holdSending = false;
    return SendOutcome::Sent;
}

void DeviceLink::IRStopExecute()
{
    m_comm.WriteComm(stopFrame(m_settings.DeviceId));
}

} // namespace qlv
