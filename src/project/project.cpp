#include "project.h"

#include "derivedfields.h"
#include "filenames.h"
#include "jetheader.h"
#include "projectfile.h"
#include "projecttemplate.h"
#include "regularfile.h"
#include "wholefile.h"
#include <core/codepage.h>

#include <irdata/eepromimage.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qlv {

namespace {

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

const QString ResReadError = QLatin1String(ResReadErrorText);

} // namespace

Project::Project(Prompter& prompter, QString workingCopyPath, QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_workingCopy(std::move(workingCopyPath))
{
    m_keys.setAfterPost([this] { ADOQuery1AfterPost(); });
}

void Project::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Project::ADOQuery1AfterPost()
{
    PostHandlerDetached detached(m_keys);
    setModified(true);
    m_keys.post(withDerivedFields(m_keys.current()));
}

void Project::setLegacyConverter(const QString& qlvtoolPath, int timeoutMs)
{
    m_converterPath = qlvtoolPath;
    m_converterTimeoutMs = timeoutMs;
}

QString Project::legacyConverterPath() const
{
    if (!m_converterPath.isEmpty())
        return m_converterPath;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qlvtool"));
}

bool Project::LoadProject(const QString& path)
{
    return loadFile(path, path);
}

bool Project::loadFile(const QString& dataPath, const QString& shownPath)
{
    // The file is read whole before anything changes, so a file that is not a project leaves
    // the open one as it was, pending changes included.
    ProjectFileContent content;
    try {
        checkRegularFile(dataPath);
        content = readProjectFile(dataPath, m_onlySlot);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return false;
    }
    m_currentFile = absolute(shownPath);
    m_dataFile = absolute(dataPath);
    {
        ScrollHandlerDetached detached(m_keys);
        m_keys.close();
        m_modelFields = content.model;
        m_keys.open(std::move(content));
    }
    if (!m_savingAs)
        emit tableReplaced();
    emit redrawWave(true);
    m_projectLoaded = true;
    setModified(false);
    emit loaded();
    return true;
}

bool Project::requireLoaded()
{
    if (m_projectLoaded && m_keys.isOpen())
        return true;
    m_prompter.notice(QString::fromLatin1(NoProjectText));
    return false;
}

bool Project::askToSaveChanges()
{
    if (!m_modified)
        return true;
    switch (m_prompter.ask({QuestionKind::SaveChanges, QString::fromLatin1(MainCaption),
                            QLatin1String(SaveChangesQuestion), true})) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        SaveExecute();
        return !m_modified;
    }
    return false;
}

bool Project::askReplace(const QString&)
{
    return m_prompter.ask(replaceFileQuestion()) == Answer::Yes;
}

bool Project::NewExecute()
{
    if (!askToSaveChanges())
        return false;
    m_keys.close();
    emit tableReplaced();
    // Until the fresh project loads there is none: a failed New must not leave Compile or
    // Download working on an empty table.
    m_projectLoaded = false;
    const std::optional<QByteArray> templateBytes = readProjectTemplate();
    if (!templateBytes) {
        m_prompter.notice(ResReadError);
        return false;
    }
    try {
        writeFileWhole(m_workingCopy, *templateBytes);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return false;
    }
    if (!LoadProject(m_workingCopy))
        return false;
    emit clearWave();
    return true;
}

bool Project::OpenExecute()
{
    if (!askToSaveChanges())
        return false;
    const std::optional<QString> chosen =
        m_prompter.chooseOpenFile({QString::fromLatin1(ProjectFilter), {}});
    if (!chosen)
        return false;
    return openFile(*chosen);
}

bool Project::openFile(const QString& path)
{
    try {
        checkRegularFile(path);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return false;
    }
    // The header wins over the name: a Jet database is never an EEPROM image.
    if (readJetHeader(path) != JetHeader::None)
        return openLegacyFile(path);
    if (hasExtension(path, QStringLiteral(".bin")))
        return ImportEepromImage(path);
    return LoadProject(path);
}

bool Project::openLegacyFile(const QString& path)
{
    // A handler that runs while a conversion waits must not start another one.
    if (m_busy)
        return false;
    const QString legacy = absolute(path);
    const QString problem = jetHeaderProblem(legacy, readJetHeader(legacy));
    if (!problem.isEmpty()) {
        m_prompter.notice(problem);
        return false;
    }
    // Converted beside the working copy, the project takes its place only once it reads back
    // whole, so a refused file leaves the open project as it was, pending changes included.
    const QString folder = QFileInfo(m_workingCopy).absolutePath();
    QTemporaryFile converted(folder + QStringLiteral("/.legacy-XXXXXX.qlv"));
    if (!converted.open()) {
        m_prompter.notice(
            QString::fromLatin1(CannotWriteText).arg(native(folder), converted.errorString()));
        return false;
    }
    const QString convertedPath = converted.fileName();
    converted.close();

    QString error = runLegacyConverter(legacy, convertedPath);
    if (error.isEmpty()) {
        try {
            readProjectFile(convertedPath);
        } catch (const StoreError& readError) {
            error = QStringLiteral("%1 cannot be read: its converted project is unreadable (%2).")
                        .arg(native(legacy), readError.text());
        }
    }
    if (!error.isEmpty()) {
        // A converter stopped while writing leaves its own unfinished file beside ours.
        QDir dir(folder);
        const QString unfinished = "." + QFileInfo(convertedPath).fileName() + ".*";
        for (const QString& name : dir.entryList({unfinished}, QDir::Files | QDir::Hidden))
            dir.remove(name);
        m_prompter.notice(error);
        return false;
    }
    if (std::rename(QFile::encodeName(convertedPath).constData(),
                    QFile::encodeName(m_workingCopy).constData()) != 0) {
        m_prompter.notice(
            QString::fromLatin1(CannotWriteText)
                .arg(native(m_workingCopy), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    converted.setAutoRemove(false);
    return loadFile(m_workingCopy, legacy);
}

QString Project::runLegacyConverter(const QString& legacyPath, const QString& convertedPath)
{
    const QString name = native(legacyPath);
    const QString program = legacyConverterPath();
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());

    // The wait runs the event loop, so the window keeps painting; busyChanged lets it refuse
    // input meanwhile, and is undone however the wait ends.
    struct Busy {
        explicit Busy(Project& project)
            : m_project(project)
        {
            m_project.m_busy = true;
            emit m_project.busyChanged(true);
        }
        ~Busy()
        {
            m_project.m_busy = false;
            emit m_project.busyChanged(false);
        }
        Project& m_project;
    } busy(*this);
    QEventLoop loop;
    bool ended = false;
    auto end = [&] {
        ended = true;
        loop.quit();
    };
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, end);
    QObject::connect(&child, &QProcess::finished, &loop, end);
    QObject::connect(&child, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end();
    });
    limit.start(m_converterTimeoutMs);
    child.start(program, {QStringLiteral("convert"), QStringLiteral("--force"),
                          QStringLiteral("--"), legacyPath, convertedPath});
    if (!ended && child.state() != QProcess::NotRunning)
        loop.exec();

    if (child.error() == QProcess::FailedToStart && child.state() == QProcess::NotRunning)
        return QStringLiteral("%1 cannot be read: the converter %2 does not start (%3).")
            .arg(name, native(program), child.errorString());
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("%1 cannot be read: reading it took longer than %2 seconds and was "
                              "stopped; the file is probably damaged.")
            .arg(name, QString::number(m_converterTimeoutMs / 1000.0));
    }
    if (child.exitStatus() == QProcess::CrashExit)
        return QStringLiteral("%1 cannot be read: the Jet reader crashed on it; the file is "
                              "probably damaged.")
            .arg(name);
    if (child.exitCode() == 0)
        return {};
    // The converter's own message comes last, after whatever libmdb printed on its way.
    const QStringList lines =
        QString::fromUtf8(child.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    const QString last = lines.isEmpty() ? QString() : lines.last().trimmed();
    if (last.isEmpty())
        return QStringLiteral("%1 cannot be read: the converter ended with status %2.")
            .arg(name)
            .arg(child.exitCode());
    return last.contains(name) ? last : QStringLiteral("%1 cannot be read: %2").arg(name, last);
}

std::optional<QByteArray> Project::readEepromImage(const QString& path)
{
    QByteArray image;
    try {
        image = readRegularFile(path, qint64(ImageSize));
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return std::nullopt;
    }
    if (image.size() != qsizetype(ImageSize)) {
        m_prompter.notice(
            QString::fromLatin1(NotAnImageText).arg(QFileInfo(path).size()).arg(ImageSize));
        return std::nullopt;
    }
    return image;
}

bool Project::ImportEepromImage(const QString& path)
{
    // The image is checked before New, so a bad file leaves the open project untouched.
    const std::optional<QByteArray> image = readEepromImage(path);
    if (!image)
        return false;
    // Cancel in New's own question abandons the import instead of filling the open project.
    if (!NewExecute())
        return false;
    return postImageSlots(*image);
}

bool Project::postImageSlots(const QByteArray& image)
{
    const std::span<const std::uint8_t> imageBytes(
        reinterpret_cast<const std::uint8_t*>(image.constData()), ImageSize);
    bool completed = true;
    {
        ControlsDisabled disabled(m_keys);
        {
            ScrollHandlerDetached detached(m_keys);
            try {
                m_keys.first();
                for (std::size_t n = 0; n < SlotCount && !m_keys.eof(); ++n) {
                    const CodeRecord record = imageSlot(imageBytes, n);
                    KeyRow row = m_keys.current();
                    row.function = nameFromCodePage(nameText(record));
                    row.irData = bytesOf(record);
                    m_keys.post(row);
                    m_keys.next();
                }
            } catch (const StoreError& error) {
                m_prompter.notice(error.text());
                completed = false;
            }
        }
        m_keys.first();
    }
    return completed;
}

bool Project::SaveExecute()
{
    if (!requireLoaded())
        return false;
    // A Windows version's file is never written in place; its name is offered for the new one.
    const QString proposed = openedFromLegacyFile() ? m_currentFile : QString();
    const std::optional<QString> chosen =
        m_prompter.chooseSaveFile({QString::fromLatin1(ProjectFilter), proposed});
    if (!chosen)
        return false;
    return saveTo(*chosen);
}

bool Project::saveTo(const QString& chosenName)
{
    if (!requireLoaded())
        return false;
    const QString name = absolute(withProjectExtension(chosenName));
    if (name == m_currentFile && !openedFromLegacyFile()) {
        try {
            m_keys.applyUpdatesReplacing();
        } catch (const StoreError& error) {
            m_prompter.notice(error.text());
            return false;
        }
        setModified(false);
        emit saved(name);
        return true;
    }
    if (QFileInfo::exists(name) && !askReplace(name))
        return false;
    const std::optional<QByteArray> templateBytes = readProjectTemplate();
    if (!templateBytes) {
        m_prompter.notice(ResReadError);
        return false;
    }
    emit clearWave();
    try {
        writeNewProjectFile(name, *templateBytes);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return false;
    }
    m_savingAs = true;
    const auto reset = qScopeGuard([this] { m_savingAs = false; });
    if (!LoadProject(name))
        return false;
    emit saved(name);
    return true;
}

void Project::writeNewProjectFile(const QString& path, const QByteArray& templateBytes)
{
    checkModelFits(m_modelFields);
    std::vector<KeyRow> rows;
    rows.reserve(std::size_t(m_keys.recordCount()));
    for (int i = 0; i < m_keys.recordCount(); ++i)
        rows.push_back(m_keys.row(i));

    ControlsDisabled disabled(m_keys);
    ScrollHandlerDetached detached(m_keys);
    emit progressStarted(int(rows.size()));
    struct ProgressEnd {
        Project* project;
        ~ProgressEnd() { emit project->progressFinished(); }
    } progressEnd{this};

    buildFileWhole(path, [&](const QString& tempPath) {
        QFile file(tempPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(templateBytes) != templateBytes.size())
            throw StoreError(
                QString::fromLatin1(CannotWriteText).arg(native(path), file.errorString()));
        file.close();
        SqliteDb db(tempPath);
        // The file is renamed into place only when complete, so it needs no journal.
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        fillTemplateCopy(db, m_modelFields, rows, [this](int i) { emit progressChanged(i); });
    });
}

bool Project::compile()
{
    if (!requireLoaded())
        return false;
    const std::optional<QString> chosen =
        m_prompter.chooseSaveFile({QString::fromLatin1(ImageFilter), {}});
    if (!chosen)
        return false;
    return compileTo(*chosen);
}

bool Project::compileTo(const QString& chosenName)
{
    if (!requireLoaded())
        return false;
    const QString name = withImageExtension(chosenName);
    if (QFileInfo::exists(name) && !askReplace(name))
        return false;
    std::vector<std::uint8_t> image;
    image.reserve(ImageSize);
    for (std::size_t n = 0; n < SlotCount; ++n) {
        // A table short of rows still gives a full image: missing slots are filler.
        if (n < std::size_t(m_keys.recordCount()))
            appendSlot(image, storedBytes(m_keys.row(int(n)).irData));
        else
            appendSlot(image, {});
    }
    bool written = true;
    try {
        writeFileWhole(
            name, QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        written = false;
    }
    m_keys.first();
    if (written)
        emit compiled(name, qint64(image.size()));
    return written;
}

} // namespace qlv
