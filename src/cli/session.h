// One run of the tool: a Project whose working copy lives in a temporary folder of its own,
// and the steps the commands share.
#pragma once

#include "cliprompter.h"

#include <project/project.h>
#include <project/workingcopy.h>

#include <QTemporaryDir>

#include <memory>

namespace qlv::cli {

class Session {
public:
    explicit Session(CliPrompter& prompter);
    ~Session();

    Project& project() { return m_project; }
    KeyTable& keys() { return m_project.keys(); }

    // Turns a core operation's false into a Failure: the refused question, or nothing more
    // when the core has shown its own message.
    void require(bool completed) const;

    // LoadProject on the named file, found as inputFile() finds it.
    void open(const QString& name);
    // Writes the pending rows into the open file.
    void saveInPlace();

    // Asks before an existing file is written over, as the core does for its own files.
    void confirmReplace(const QString& path) const;

    const KeyRow& row(int id) const;
    // Makes row id current and posts values into it: the derived-field update runs.
    void post(int id, const KeyRow& values);
    // The 0-based row of slot id; throws Failure when the project has none.
    int indexOf(int id) const;
    // Makes row id current.
    void goTo(int id);

private:
    CliPrompter& m_prompter;
    QTemporaryDir m_folder;
    std::unique_ptr<WorkingCopy> m_workingCopy;
    Project m_project;
};

} // namespace qlv::cli
