// DeviceLink: everything the main window needs of the K-817T, and everything qlvtool runs.
//
// The window creates one DeviceLink for the run (with makeSerialStream() and
// PortMap::fromFile(PortMap::defaultFile())), forwards its controls' handlers to it and
// connects its signals:
//   setLearnTime / choosePort / setDeviceId / setNormalFormat / setRc5Format /
//   setIrPortEnabled                 the device settings and the port chooser
//   DownloadExecute / UploadExecute  the two toolbar actions (they ask for confirmation)
//   IRLearnExecute(selected rows)    Button1; a click while learning is the "Stop"
//   holdToSend(still held)           the grid's wave button on the current row
//   cancelTransfer()                 the progress window's Cancel or close box
// and shows what the signals say; it never reaches into the sequences. Messages and questions
// go through the Prompter given here; the project's rows through its KeyTable.
#pragma once

#include "serialcomm.h"

#include <irdata/coderecord.h>
#include <project/project.h>

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

namespace qlv {

// The settings the main window holds for the device commands, under their own names.
struct DeviceSettings {
    std::uint8_t DeviceId = 0;     // position in the ID chooser, 0 ... 14
    std::uint8_t LearnTime = 1;    // seconds, 1 ... 3
    std::uint8_t IrFormat = 1;     // 1 "Normal", 2 "RC5/RC6"
    std::uint8_t IrPortMask = 255; // bit i: IR output port i sends
    bool learnTwice = false;       // each row learned twice and the captures compared
};

// How a download or upload ended; each ending but Declined and FrameNotSent showed its message.
enum class TransferEnding {
    Declined,     // No in the confirmation, or another device operation is running
    FrameNotSent, // the serial layer has shown why
    NoDevice,     // no acknowledgement (download) or no first byte (upload)
    TimedOut,     // upload: a slot short or late
    Terminated,   // Cancel
    Failed,       // upload: a row could not be stored; "C" was sent and the error shown
    Completed,
};

enum class LearnEnding {
    StopRequested, // this call was the "Stop" of a running learn run
    NotStarted,    // another device operation is running, or no project is open
    Completed,     // every selected row learned
    Stopped,       // the user stopped the run
    NoDevice,      // no acknowledgement of LEARN: "No found IR device!"
    WriteFailed,   // the serial layer has shown why
    LineLost,      // the port went away while waiting for the code
    Failed,        // a row could not be stored; the error was shown
};

// The EEPROM read into memory by the UPLOADALL sequence; the project is not touched.
struct EepromRead {
    TransferEnding ending = TransferEnding::Declined;
    std::vector<CodeRecord> records; // all 512 as upload takes them (byte 255 = 0), or none
};

// What a read-back is for: its progress label and messages.
enum class ReadPurpose { Verify, Compare };

struct VerifyOutcome {
    TransferEnding ending = TransferEnding::Declined; // the download's, else the read-back's
    bool verified = false;                            // read back whole and compared
    std::vector<int> differing;                       // IDs of the slots that differ
};

// "slot 17", "slots 17, 230", runs of three or more as "40-45".
QString slotListText(const std::vector<int>& ids);
// "Download verified: 512 slots identical." or "Verify failed: slots 17, 230 differ."
QString verifyResultText(const VerifyOutcome& outcome);

// The status bar's lines of a learn run, a hold-to-send and an upload:
// "Slot 12 (POWER): point the remote at the K-817T and press the key" (without the
// parenthesis for a slot without a name; "... the key again" for a second capture),
// "Slot 12 learned: NEC1 D=4 S=251 F=8", or the format and carrier of a code no protocol
// matches ("Slot 12 learned: Normal format, 38.0 kHz"), "Slot 12 has no code to send.",
// "Upload stopped: 37 slots replaced." and "Upload: 512 slots replaced.".
QString learnInstructionText(int id, const QString& name, bool again);
QString learnedText(int id, const CodeRecord& record);
QString noCodeToSendText(int id);
QString uploadResultText(bool completed, int replaced);

struct LearnOutcome {
    LearnEnding ending = LearnEnding::Completed;
    int rowsLearned = 0;
    int rowsMismatched = 0; // learning twice: rows left unchanged after captures that differ
};

enum class SendOutcome {
    Ignored,     // a hold-to-send is already running
    NoCode,      // the row holds no code: nothing sent, nothing shown
    WriteFailed, // the serial layer has shown why
    Busy,        // "B": the device refused, silently
    NoDevice,    // no reply or another byte: "No found IR device!"
    Sent,        // "A", then the code body
};

class DeviceLink : public QObject {
    Q_OBJECT

public:
    DeviceLink(Prompter& prompter, Project& project, std::unique_ptr<ByteStream> stream,
               PortMap ports, QObject* parent = nullptr);
    ~DeviceLink() override;

    SerialComm& comm() { return m_comm; }
    DeviceSettings& settings() { return m_settings; }
    const DeviceSettings& settings() const { return m_settings; }

    // The choosers. choosePort: 0 ... 7 are COM1 ... COM8, 8 is "Close", -1 nothing.
    void setLearnTime(int index);
    void choosePort(int index);
    void setDeviceId(int index);
    void setNormalFormat(); // IrFormat 1
    void setRc5Format();    // IrFormat 2
    void setIrPortEnabled(int port, bool enabled);
    // The port chooser's entries and, for its tooltip, the path an entry opens.
    static QStringList portEntries();
    QString portPath(int index) const;

    // The actions as the window runs them: the question first.
    TransferEnding DownloadExecute();
    TransferEnding UploadExecute();
    // The sequences without the question, for qlvtool.
    TransferEnding downloadAll(bool announceCompletion = true);
    TransferEnding uploadAll();
    // verify.cpp: the download, then the EEPROM read back and compared slot by slot (byte 255
    // excepted). The Execute form asks first and offers to download again after a mismatch;
    // the other shows the result as a notice.
    VerifyOutcome DownloadVerifiedExecute();
    VerifyOutcome downloadVerified();
    EepromRead readEeprom(ReadPurpose purpose);
    // bProgress = false: the transfer stops after the slot on its way.
    void cancelTransfer();
    bool bProgress() const { return m_bProgress; }
    bool transferRunning() const { return m_transferRunning; }

    // selectedRows: 0-based row indexes in any order; empty learns the current row. A call
    // while a learn run waits is the user's "Stop".
    LearnOutcome IRLearnExecute(std::vector<int> selectedRows);
    bool learning() const { return m_learning; }

    // One transmission of the current row's code.
    SendOutcome IRSendStart();
    // The wave button: sends the current row, waits while stillHeld() says the button is down
    // (asked every 10 ms while handlers keep running), then the stop frame and its reply.
    SendOutcome holdToSend(const std::function<bool()>& stillHeld);
    void IRStopExecute();
    bool holdSending() const { return m_holdSending; }

signals:
    // Every control that sits directly on the main window; learnButton tells Button1 apart,
    // which stays usable as "Stop" during a learn run.
    void controlsEnabledChanged(bool enabled, bool learnButtonEnabled);
    void learnCaptionChanged(const QString& caption); // "Stop", then "IR Learn"
    // The device acknowledged a LEARN and waits for the remote's key on the current row.
    void keyAwaited();
    // The progress window: shown with its label ("Downloading..."), the bar set to the slot
    // just finished (0 ... 511 of 512), hidden (not closed) at the end.
    void progressShown(const QString& label);
    void progressChanged(int slot);
    void progressHidden();
    // Bit i set: lamp i red; 0: all eight grey.
    void portLampsChanged(std::uint8_t redMask);
    // The second status-bar panel: the port's name or "No port".
    void portPanelChanged(const QString& text);
    // A learned code was stored in the current row: RedrawWave(shiftPrevious), then scroll the
    // waveform strip back to its left end.
    void learnedCodeShown(bool shiftPrevious);
    // Learning twice: the two captures of the current row agreed ("Slot 12: two identical
    // captures (...)"); a mismatch is a question through the Prompter instead.
    void learnChecked(const QString& text);
    // A line for the status bar. A lasting one (the learn run's instruction) stays until the
    // next replaces it; an empty one clears what is shown.
    void statusMessage(const QString& text, bool lasting);

private:
    void setControlsEnabled(bool enabled, bool learnButtonEnabled);
    // Not while another sequence runs, only on a loaded project, and only when the user agrees.
    bool confirmTransfer(QuestionKind kind, const char* question);
    void returnToCommandRate();
    bool readAck(int seconds);
    struct TransferMessages {
        const char* running;
        const char* terminated;
        const char* completed;
    };
    // Moves one slot across the line; an ending when the transfer must stop (already shown).
    using SlotStep = std::optional<TransferEnding>(std::size_t slot);
    // The walk both transfers share: the progress window, the slots one by one with "U" or "C"
    // after each, the completion message, then the controls and the command rate back.
    TransferEnding transferSlots(const TransferMessages& messages,
                                 const std::function<SlotStep>& moveSlot);
    // Progress for a finished slot, then "U" to go on, or "C" and the message after a Cancel.
    bool continueAfterSlot(std::size_t slot, const char* terminatedMessage);
    bool waitForLearnedCode(std::uint32_t expected);
    VerifyOutcome verifyPass();

    Prompter& m_prompter;
    Project& m_project;
    SerialComm m_comm;
    DeviceSettings m_settings;
    bool m_bProgress = false;
    bool m_transferRunning = false;
    int m_slotsMoved = 0; // by the last transfer, stopped or not
    bool m_learning = false;
    bool m_learnWaiting = false;
    bool m_holdSending = false;
    bool m_alternate = false; // sendBlock's flag, one for the program
};

} // namespace qlv
