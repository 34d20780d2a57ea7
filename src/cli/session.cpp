#include "session.h"

#include "arguments.h"
#include "errors.h"

#include <project/filenames.h>

#include <QDir>
#include <QFileInfo>

namespace qlv::cli {

namespace {

std::unique_ptr<WorkingCopy> workingCopyIn(const QTemporaryDir& folder)
{
    if (!folder.isValid())
        throw Failure{QStringLiteral("No temporary folder for the working copy: %1")
                          .arg(folder.errorString())};
    return std::make_unique<WorkingCopy>(folder.path());
}

} // namespace

Session::Session(CliPrompter& prompter)
    : m_prompter(prompter)
    , m_folder(QDir::temp().filePath(QStringLiteral("qlvtool-XXXXXX")))
    , m_workingCopy(workingCopyIn(m_folder))
    , m_project(prompter, m_workingCopy->path())
{
}

Session::~Session() = default;

void Session::require(bool completed) const
{
    if (!completed)
        throw Failure{m_prompter.refusal()};
}

void Session::open(const QString& name)
{
    require(m_project.LoadProject(inputFile(name, QStringLiteral(".qlv"))));
}

void Session::saveInPlace()
{
    const QString& file = m_project.currentFile();
    if (hasExtension(file, QStringLiteral(".qlv"))) {
        require(m_project.saveTo(file));
        return;
    }
    // saveTo would add ".qlv" and write a second file; the user asked for this one.
    keys().applyUpdates();
    m_project.setModified(false);
}

void Session::confirmReplace(const QString& path) const
{
    if (QFileInfo::exists(path))
        require(m_prompter.askYesNo(QLatin1String(MainCaption), QLatin1String(ReplaceQuestion)) ==
                Answer::Yes);
}

int Session::indexOf(int id) const
{
    // Rows are sorted by ID, so a well-formed project has ID n at index n - 1.
    const KeyTable& table = m_project.keys();
    if (id <= table.recordCount() && table.row(id - 1).id == id)
        return id - 1;
    for (int i = 0; i < table.recordCount(); ++i)
        if (table.row(i).id == id)
            return i;
    throw Failure{QStringLiteral("%1 has no key slot with ID %2.")
                      .arg(QDir::toNativeSeparators(m_project.currentFile()))
                      .arg(id)};
}

const KeyRow& Session::row(int id) const
{
    return m_project.keys().row(indexOf(id));
}

void Session::goTo(int id)
{
    keys().setRecNo(indexOf(id) + 1);
}

void Session::post(int id, const KeyRow& values)
{
    keys().setRecNo(indexOf(id) + 1);
    keys().post(values);
}

} // namespace qlv::cli
