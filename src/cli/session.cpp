#include "session.h"

#include "arguments.h"
#include "errors.h"

#include <legacy/legacyproject.h>
#include <project/filenames.h>
#include <project/jetheader.h>
#include <project/projectfile.h>
#include <project/projecttemplate.h>
#include <project/regularfile.h>
#include <project/sqlitedb.h>
#include <project/wholefile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <dirent.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace qlv::cli {

namespace {

const QString FolderPattern = QStringLiteral("qlvtool-");
const QString WorkingCopyName = QStringLiteral("Temp.~tmp");

// Folders of runs that were killed outright: their lock names a process that is gone.
void removeFoldersOfDeadRuns()
{
    // Every command looks, so the look is a plain directory read: a name filter would build
    // a regular expression and stat every entry of a possibly crowded TMPDIR.
    const QDir temp = QDir::temp();
    QStringList names;
    if (DIR* dir = ::opendir(QFile::encodeName(temp.path()).constData())) {
        const QByteArray prefix = QFile::encodeName(FolderPattern);
        while (const dirent* entry = ::readdir(dir))
            if (std::strncmp(entry->d_name, prefix.constData(), std::size_t(prefix.size())) == 0)
                names << QFile::decodeName(entry->d_name);
        ::closedir(dir);
    }
    for (const QString& name : names) {
        QDir folder(temp.filePath(name));
        QLockFile lock(folder.filePath(WorkingCopyName + QStringLiteral(".lock")));
        qint64 pid = 0;
        QString host;
        QString application;
        if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0 ||
            host != QSysInfo::machineHostName())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        folder.removeRecursively();
    }
}

} // namespace

void confirmReplace(CliPrompter& prompter, const QString& path)
{
    if (QFileInfo::exists(path) && prompter.ask(replaceFileQuestion()) != Answer::Yes)
        throw Failure{prompter.refusal()};
}

Session::Session(CliPrompter& prompter, Needs needs)
    : m_prompter(prompter)
    , m_project(prompter, QString())
{
    removeFoldersOfDeadRuns();
    if (needs == Needs::WorkingCopy) {
        folder();
        m_project.setWorkingCopyPath(m_workingCopy->path());
    }
}

const QTemporaryDir& Session::folder()
{
    if (m_folder)
        return *m_folder;
    m_folder = std::make_unique<QTemporaryDir>(
        QDir::temp().filePath(FolderPattern + QStringLiteral("XXXXXX")));
    if (!m_folder->isValid())
        throw Failure{QStringLiteral("No temporary folder for the working copy: %1")
                          .arg(m_folder->errorString())};
    // Removed by a signal too: files first, then the folder once it is empty.
    const QDir dir(m_folder->path());
    m_cleanup.push_back(std::make_unique<CleanupGuard>(dir.path(), CleanupGuard::Kind::Folder));
    for (const QString& name : {WorkingCopyName, WorkingCopyName + QStringLiteral("-journal"),
                                WorkingCopyName + QStringLiteral(".lock"),
                                QStringLiteral("legacy.qlv"), QStringLiteral("legacy.qlv-journal")})
        m_cleanup.push_back(std::make_unique<CleanupGuard>(dir.filePath(name)));
    m_workingCopy = std::make_unique<WorkingCopy>(dir.path());
    return *m_folder;
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
    const QString converted = folder().filePath(QStringLiteral("legacy.qlv"));
    writeLegacyProject(readLegacyProject(file), converted);
    require(m_project.LoadProject(converted));
    m_legacyFile = QFileInfo(file).absoluteFilePath();
}

void Session::openForSlot(const QString& name, int id)
{
    m_project.setOnlySlotRead(id);
    open(name);
}

ModelFields Session::readModel(const QString& name)
{
    const QString file = inputFile(name, QStringLiteral(".qlv"));
    if (readJetHeader(file) != JetHeader::None) {
        open(name);
        return m_project.modelFields();
    }
    try {
        checkRegularFile(file);
        return readProjectModel(file);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        throw Failure{m_prompter.refusal()};
    }
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
    keys().applyUpdatesReplacing();
    m_project.setModified(false);
}

void Session::buildProject(const QString& target, const std::function<void()>& fill)
{
    const QString name = QFileInfo(withProjectExtension(target)).absoluteFilePath();
    confirmReplace(name);
    const std::optional<QByteArray> templateBytes = readProjectTemplate();
    if (!templateBytes)
        throw Failure{QStringLiteral("RES file read error!")};
    PendingFile pending(name);
    {
        QFile copy(pending.temporaryPath());
        if (!copy.open(QIODevice::WriteOnly) ||
            copy.write(*templateBytes) != templateBytes->size() || !copy.flush())
            throw Failure{QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(name), copy.errorString())};
    }
    require(m_project.LoadProject(pending.temporaryPath()));
    if (fill)
        fill();
    const ModelFields model = m_project.modelFields();
    checkModelFits(model);
    std::vector<KeyRow> rows;
    rows.reserve(std::size_t(keys().recordCount()));
    for (int i = 0; i < keys().recordCount(); ++i)
        rows.push_back(keys().row(i));
    keys().close();
    {
        SqliteDb db(pending.temporaryPath());
        // The copy replaces the target only when complete, so it needs no journal.
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        fillTemplateCopy(db, model, rows, {});
    }
    pending.commitAsWritten();
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
