// A fresh project in a temporary folder, its questions answered from a script: where the
// tests of the project, the rows and the widgets start.
#pragma once

#include "scriptedprompter.h"

#include <irdata/coderecord.h>
#include <project/project.h>

#include <QTemporaryDir>

#include <memory>

namespace qlv::test {

struct ProjectRig {
    // A test that needs more of its prompter gives its own kind of ScriptedPrompter.
    explicit ProjectRig(
        std::unique_ptr<ScriptedPrompter> ownPrompter = std::make_unique<ScriptedPrompter>());

    // New, as the window does at start; the script is cleared after it. True when it worked.
    bool start();
    QString path(const QString& name) const { return dir.filePath(name); }
    KeyTable& keys() { return project.keys(); }

    QTemporaryDir dir;
    std::unique_ptr<ScriptedPrompter> ownedPrompter;
    ScriptedPrompter& prompter;
    Project project;
};

// Posts record into the row at recNo (1-based), as an edit of its IR data would.
void postRecord(KeyTable& keys, int recNo, const CodeRecord& record);

} // namespace qlv::test
