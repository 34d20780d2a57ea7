// The IR data dialog fmIRData: the 512 bytes of the current key row in a hex editor, with
// hex text files and the clipboard, written back into the row by the close check.
#pragma once

#include "hexeditor.h"

#include <QDialog>

#include <functional>

class QAction;
class QMenu;
class QStatusBar;

namespace qlv {

class KeyTable;
class Project;
class Prompter;

inline constexpr const char* IrDataCaption = "IR Data";
inline constexpr const char* HexTextFilter = "*.txt|*.txt";

class TfmIRData : public QDialog {
    Q_OBJECT

public:
    explicit TfmIRData(Prompter& prompter, QWidget* parent = nullptr);

    void setPrompter(Prompter& prompter) { m_prompter = &prompter; }
    // The table whose current row is edited, and how a kept edit marks the project modified
    // (the after-post handler of the project does so too).
    void setKeyTable(KeyTable* keys, std::function<void()> markModified = {});
    void setProject(Project& project);

    // The IR data edit: loads the current row, shows the dialog modally and returns when the
    // close check has let it close. False when the table has no rows.
    bool IRDataEdit();
    // Its first two steps: the current row's bytes into the editor, as exactly 512 bytes.
    bool loadCurrentRow();

    // The close check; true when the dialog may close.
    bool FormCloseQuery();

    HexEditor* editor() const { return m_editor; }
    QMenu* popupMenu() const { return m_menu; }

public slots:
    void CopyExecute();
    void PasteExecute();
    void SaveExecute();
    void OpenExecute();
    void CopyUpdate();
    void PasteUpdate();

protected:
    // The close box and Esc both go through the close check.
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    QString proposedFileName() const;
    QAction* addCommand(const char* name, const QKeySequence& key, void (TfmIRData::*execute)());

    Prompter* m_prompter;
    KeyTable* m_keys = nullptr;
    std::function<void()> m_markModified;
    HexEditor* m_editor = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_save = nullptr;
    QAction* m_open = nullptr;
};

// The whole IR data edit for the window: one dialog, kept as a child of parent and shown
// again at each use. The caller then runs RedrawWave(false).
bool runIrDataEdit(Project& project, Prompter& prompter, QWidget* parent);

} // namespace qlv
