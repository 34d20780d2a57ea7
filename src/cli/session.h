// One run of the tool: a Project, with a temporary folder of its own only for the commands that
// need a working copy (new, import) or a converted copy of a Windows version's file, and the
// steps the commands share.
#pragma once

#include "cliprompter.h"

#include <project/cleanuponsignal.h>
#include <project/project.h>
#include <project/workingcopy.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace qlv::cli {

// Asks before an existing file is written over, as the core does for its own files.
void confirmReplace(CliPrompter& prompter, const QString& path);

class Session {
public:
    enum class Needs { ProjectFileOnly, WorkingCopy };
    explicit Session(CliPrompter& prompter, Needs needs = Needs::ProjectFileOnly);
    ~Session();

    Project& project() { return m_project; }
    KeyTable& keys() { return m_project.keys(); }

    // Turns a core operation's false into a Failure: the refused question, or nothing more
    // when the core has shown its own message.
    void require(bool completed) const;

    // LoadProject on the named file, found as inputFile() finds it. A project file of the
    // Windows version is read into a converted copy in the session's folder.
    void open(const QString& name);
    // open() for a command that reads and edits slot id alone.
    void openForSlot(const QString& name, int id);
    // The model description of a project, the file checked as open() checks it but its key
    // rows not read.
    ModelFields readModel(const QString& name);
    // Writes the pending rows into the open file; refused for a Windows version's file.
    void saveInPlace();
    // A new project file at target (".qlv" added when missing), asked before replacing one:
    // the template is written once into the file's temporary copy, loaded, given fill's
    // posts, written in one transaction, then synced once and renamed into place.
    void buildProject(const QString& target, const std::function<void()>& fill);

    void confirmReplace(const QString& path) const { cli::confirmReplace(m_prompter, path); }

    const KeyRow& row(int id) const;
    // Makes row id current and posts values into it: the derived-field update runs.
    void post(int id, const KeyRow& values);
    // The 0-based row of slot id; throws Failure when the project has none.
    int indexOf(int id) const;
    // Makes row id current.
    void goTo(int id);

private:
    // The temporary folder, made on first use, with the lock that names this process.
    const QTemporaryDir& folder();

    // The file the user named: the Windows version's file rather than its converted copy.
    QString shownFile() const;

    CliPrompter& m_prompter;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<WorkingCopy> m_workingCopy;
    std::vector<std::unique_ptr<CleanupGuard>> m_cleanup;
    Project m_project;
    QString m_legacyFile;
};

} // namespace qlv::cli
