// The benchmarks' Prompter: questions are answered Yes (the unsaved-changes one No), each file
// dialog gets nextFile, and a notice other than an expected completion stops the run, since it
// would spoil the figure.
#pragma once

#include <core/prompter.h>
#include <project/project.h>

#include <QTemporaryDir>
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

// A fresh project's place: a temporary folder and the prompter; New is the benchmark's.
struct BenchProject {
    QTemporaryDir dir;
    BenchPrompter prompter;
    Project project{prompter, dir.filePath(QStringLiteral("Temp.~tmp"))};
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

} // namespace qlv::bench
