// The window's answer to the core's questions: message boxes and the two file dialogs
// OpenDialog1 and SaveDialog1, which keep the last chosen name between uses.
#pragma once

#include <core/prompter.h>

#include <QPointer>
#include <QStringList>

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
    QFileDialog& dialog(bool save);
    std::optional<QString> choose(QFileDialog& dialog, const FileRequest& request);

    QPointer<QWidget> m_window;
    QPointer<QFileDialog> m_open;
    QPointer<QFileDialog> m_save;
};

} // namespace qlv
