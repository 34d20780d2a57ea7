// A Prompter that answers from a script and records every call, so a test can assert each
// question, each answer path and each message text.
#pragma once

#include <core/prompter.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace qlv::test {

struct PrompterCall {
    enum Kind { YesNo, YesNoCancel, Notice, OpenFile, SaveFile } kind;
    QString title;
    QString text;         // the question or notice; the filter for the file dialogs
    QString proposedName; // the file dialogs' proposed name
    QString detail;       // what a titled notice says below its text
    FileFamily family = FileFamily::Project; // the file dialogs' kind of file
};

class ScriptedPrompter : public Prompter {
public:
    // Scripted replies, consumed in order. An unscripted question answers Cancel (or No) and
    // an unscripted file dialog is cancelled; both are recorded as unexpected.
    ScriptedPrompter& answer(Answer reply);
    ScriptedPrompter& chooseFile(std::optional<QString> path);

    Answer ask(const Question& question) override;
    void tell(const Notice& notice) override;
    std::optional<QString> chooseOpenFile(const FileRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileRequest& request) override;

    QList<PrompterCall> calls;
    QStringList unexpected;

    QStringList notices() const;
    QStringList questions() const;
    bool scriptConsumed() const { return m_answers.empty() && m_files.empty(); }
    void clear();

private:
    std::deque<Answer> m_answers;
    struct FileReply {
        bool cancelled;
        QString path;
    };
    std::optional<QString> nextFile(const char* dialog);
    std::deque<FileReply> m_files;
};

} // namespace qlv::test
