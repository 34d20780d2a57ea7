// The window's answer to the core's questions: message boxes and the file dialogs
// OpenDialog1 and SaveDialog1. Each kind of file (FileFamily) keeps its own last folder, and
// its own last chosen name for opening and for saving.
#pragma once

#include <core/prompter.h>

#include <QPointer>
#include <QStringList>

#include <array>

class QFileDialog;
class QWidget;

namespace qlv {

// "Desc|*.a;*.b|Desc2|*.c" as the name filters of a file dialog: "Desc (*.a *.b)", ...;
// a description that is its own pattern stays as it is.
QStringList qtNameFilters(const QString& filter);

class DialogPrompter : public Prompter {
public:
    DialogPrompter();
    ~DialogPrompter() override;

    // The window the boxes and dialogs are centred on; set once it exists.
    void setParentWindow(QWidget* window);

    Answer ask(const Question& question) override;
    void tell(const Notice& notice) override;
    std::optional<QString> chooseOpenFile(const FileRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileRequest& request) override;

private:
    // The program's active window (the progress window while it is up, so a box is never
    // hidden behind it), else the main window.
    QWidget* owner() const;
    std::optional<QString> choose(bool save, const FileRequest& request);

    struct Memory {
        QString folder;
        QString openName;
        QString saveName;
    };

    QPointer<QWidget> m_window;
    std::array<Memory, 3> m_memory; // by FileFamily
};

} // namespace qlv
