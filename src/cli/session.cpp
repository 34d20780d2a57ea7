#include "session.h"

#include "arguments.h"
#include "errors.h"

#include <legacy/legacyproject.h>
#include <project/filenames.h>
#include <project/jetheader.h>

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

void confirmReplace(CliPrompter& prompter, const QString& path)
{
    if (QFileInfo::exists(path) && prompter.askYesNo(QLatin1String(MainCaption),
                                                     QLatin1String(ReplaceQuestion)) != Answer::Yes)
        throw Failure{prompter.refusal()};
}

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
    const QString file = inputFile(name, QStringLiteral(".qlv"));
    if (readJetHeader(file) == JetHeader::None) {
        require(m_project.LoadProject(file));
        return;
    }
    // Read in this process: a crash here ends only this command.
    const QString converted = m_folder.filePath(QStringLiteral("legacy.qlv"));
    writeLegacyProject(readLegacyProject(file), converted);
    require(m_project.LoadProject(converted));
    m_legacyFile = QFileInfo(file).absoluteFilePath();
}

QString Session::shownFile() const
{
    return m_legacyFile.isEmpty() ? m_project.currentFile() : m_legacyFile;
}

void Session::saveInPlace()
{
    if (!m_legacyFile.isEmpty())
        throw Failure{QStringLiteral("%1 is a project file of the Windows version, which is only "
                                     "read; make a project of it first with \"qlvtool convert\".")
                          .arg(QDir::toNativeSeparators(m_legacyFile))};
    const QString& file = m_project.currentFile();
    if (hasExtension(file, QStringLiteral(".qlv"))) {
        require(m_project.saveTo(file));
        return;
    }
    // saveTo would add ".qlv" and write a second file; the user asked for this one.
    keys().applyUpdates();
    m_project.setModified(false);
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
                      .arg(QDir::toNativeSeparators(shownFile()))
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
