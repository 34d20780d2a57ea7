// The open project and its lifecycle: New, Open, Save, Compile and the image import, asking
// their questions through a Prompter. The window and qlvtool both drive this class.
#pragma once

#include "keyrow.h"
#include "keytable.h"
#include "projectmessages.h"
#include <core/prompter.h>

#include <QObject>

namespace qlv {

inline constexpr const char* ProjectFilter = "K-817T File|*.qlv|*.bin|*.bin";
inline constexpr const char* ImageFilter = "*.bin|*.bin";

class Project : public QObject {
    Q_OBJECT

public:
    Project(Prompter& prompter, QString workingCopyPath, QObject* parent = nullptr);

    KeyTable& keys() { return m_keys; }
    const KeyTable& keys() const { return m_keys; }

    // The file the project was opened from, as the status bar shows it. For a project file of
    // the Windows version (a Jet database) that is the Jet file, while the key table is on a
    // converted copy in the working copy (dataFile()); Save then never writes in place.
    const QString& currentFile() const { return m_currentFile; }
    // The file the key table is open on.
    const QString& dataFile() const { return m_dataFile; }
    bool openedFromLegacyFile() const { return m_dataFile != m_currentFile; }
    bool modified() const { return m_modified; }
    // While a Windows version's file is being converted; the window refuses input meanwhile.
    bool busy() const { return m_busy; }
    void setModified(bool modified);
    bool projectLoaded() const { return m_projectLoaded; }
    const ModelFields& modelFields() const { return m_modelFields; }
    const QString& workingCopyPath() const { return m_workingCopy; }
    void setWorkingCopyPath(const QString& path) { m_workingCopy = path; }

    // The Windows version's files are converted by "qlvtool convert" in a child process, so
    // that a file that crashes the Jet reader cannot take the program down. By default the
    // qlvtool beside the application binary; a run over timeoutMs is stopped and refused.
    // The next loads read the key rows of this slot only, the others' IDs alone (see
    // readProjectFile); for qlvtool's one-slot edits.
    void setOnlySlotRead(std::optional<int> slot) { m_onlySlot = slot; }

    void setLegacyConverter(const QString& qlvtoolPath, int timeoutMs = DefaultConverterTimeoutMs);
    QString legacyConverterPath() const;
    static constexpr int DefaultConverterTimeoutMs = 10000;

    // Each returns true when it completed; a failure has been shown through the Prompter.
    bool LoadProject(const QString& path);
    bool NewExecute();
    bool OpenExecute();
    bool SaveExecute();
    bool compile();

    // The steps after the file dialogs, for callers that already know the name.
    // By the file's header: a Jet database is read as a Windows version's project file,
    // whatever its name; otherwise ".bin" is an EEPROM image and anything else a project.
    bool openFile(const QString& path);
    bool openLegacyFile(const QString& path);
    bool ImportEepromImage(const QString& path);
    // ImportEepromImage's two halves: the image read and checked (a notice and nothing when it
    // is no image), and its slots posted into the open table.
    std::optional<QByteArray> readEepromImage(const QString& path);
    bool postImageSlots(const QByteArray& image);
    bool saveTo(const QString& chosenName);
    bool compileTo(const QString& chosenName);

    // False, after saying so, when no project is loaded: nothing to save, compile or send.
    bool requireLoaded();

    // The unsaved-changes question; true when the asking operation may go on.
    bool askToSaveChanges();

    // The derived-field update attached as the key table's after-post handler.
    void ADOQuery1AfterPost();

signals:
    void loaded();
    // The key table now holds other rows (New, Open, an image import, a failed New): edits
    // made before no longer apply. Save as opens its copy of the same rows without it.
    void tableReplaced();
    void modifiedChanged(bool modified);
    void redrawWave(bool shiftPrevious);
    void clearWave();
    void progressStarted(int maximum);
    void progressChanged(int value);
    void progressFinished();
    // Save or Compile wrote path (as chosen, with the extension it was given).
    void saved(const QString& path);
    void compiled(const QString& path, qint64 bytes);
    // A wait that runs the event loop begins (true) or has ended (false).
    void busyChanged(bool busy);

private:
    bool loadFile(const QString& dataPath, const QString& shownPath);
    // The converter's complaint, or empty when it wrote convertedPath.
    QString runLegacyConverter(const QString& legacyPath, const QString& convertedPath);
    bool askReplace(const QString& path);
    void writeNewProjectFile(const QString& path, const QByteArray& templateBytes);

    Prompter& m_prompter;
    QString m_workingCopy;
    KeyTable m_keys;
    QString m_currentFile;
    QString m_dataFile;
    QString m_converterPath;
    int m_converterTimeoutMs = DefaultConverterTimeoutMs;
    bool m_modified = false;
    bool m_projectLoaded = false;
    bool m_busy = false;
    bool m_savingAs = false;
    std::optional<int> m_onlySlot;
    ModelFields m_modelFields;
};

} // namespace qlv
