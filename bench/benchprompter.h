// The benchmarks' Prompter: questions are answered Yes (the unsaved-changes one No), each file
// dialog gets nextFile, and a notice other than an expected completion stops the run, since it
// would spoil the figure.
#pragma once

#include <core/prompter.h>

#include <QtGlobal>

namespace qlv::bench {

class BenchPrompter : public Prompter {
public:
    std::optional<QString> nextFile;
    bool completionExpected = false;

    Answer ask(const Question& question) override
    {
        return question.cancellable ? Answer::No : Answer::Yes;
    }
    void tell(const Notice& notice) override
    {
        if (!completionExpected || notice.kind != NoticeKind::Completed)
            qFatal("%s", qPrintable(notice.text));
    }
    std::optional<QString> chooseOpenFile(const FileRequest&) override { return nextFile; }
    std::optional<QString> chooseSaveFile(const FileRequest&) override { return nextFile; }
};

} // namespace qlv::bench
