// The benchmarks' Prompter: questions are answered Yes (the unsaved-changes one No), each file
// dialog gets nextFile, and a notice other than the expected ending stops the run, since it
// would spoil the figure.
#pragma once

#include <core/prompter.h>

#include <QtGlobal>

namespace qlv::bench {

class BenchPrompter : public Prompter {
public:
    std::optional<QString> nextFile;
    QString expectedNoticeEnding; // empty: no notice is expected

    Answer askYesNo(const QString&, const QString&) override { return Answer::Yes; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::No; }
    void notice(const QString& text) override
    {
        if (expectedNoticeEnding.isEmpty() || !text.endsWith(expectedNoticeEnding))
            qFatal("%s", qPrintable(text));
    }
    std::optional<QString> chooseOpenFile(const FileRequest&) override { return nextFile; }
    std::optional<QString> chooseSaveFile(const FileRequest&) override { return nextFile; }
};

} // namespace qlv::bench
