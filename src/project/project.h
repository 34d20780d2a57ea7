// The open project and its lifecycle: New, Open, Save, Compile and the image import, asking
// their questions through a Prompter. The window and qlvtool both drive this class.
#pragma once

#include "keyrow.h"
#include "keytable.h"
#include "prompter.h"

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

    const QString& currentFile() const { return m_currentFile; }
    bool modified() const { return m_modified; }
    void setModified(bool modified);
    bool projectLoaded() const { return m_projectLoaded; }
    const ModelFields& modelFields() const { return m_modelFields; }
    const QString& workingCopyPath() const { return m_workingCopy; }

    // Each returns true when it completed; a failure has been shown through the Prompter.
    bool LoadProject(const QString& path);
    bool NewExecute();
    bool OpenExecute();
    bool SaveExecute();
    bool SaveAsExecute(); // Compile

    // The steps after the file dialogs, for callers that already know the name.
    bool openFile(const QString& path);
    bool ImportEepromImage(const QString& path);
    bool saveTo(const QString& chosenName);
    bool compileTo(const QString& chosenName);

    // The unsaved-changes question; true when the asking operation may go on.
    bool askToSaveChanges();

    // The derived-field update attached as the key table's after-post handler.
    void ADOQuery1AfterPost();

signals:
    void loaded();
    void modifiedChanged(bool modified);
    void redrawWave(bool shiftPrevious);
    void clearWave();
    void progressStarted(int maximum);
    void progressChanged(int value);
    void progressFinished();

private:
    bool askReplace(const QString& path);
    void writeNewProjectFile(const QString& path, const QByteArray& templateBytes);

    Prompter& m_prompter;
    QString m_workingCopy;
    KeyTable m_keys;
    QString m_currentFile;
    bool m_modified = false;
    bool m_projectLoaded = false;
    ModelFields m_modelFields;
};

} // namespace qlv
