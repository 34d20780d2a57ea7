#include "project.h"

#include "codepage.h"
#include "derivedfields.h"
#include "filenames.h"
#include "projectfile.h"
#include "projecttemplate.h"
#include "wholefile.h"

#include <irdata/eepromimage.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

const QString ResReadError = QStringLiteral("RES file read error!");

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

bool Project::LoadProject(const QString& path)
{
    // The file is read whole before anything changes, so a file that is not a project leaves
    // the open one as it was, pending changes included.
    ProjectFileContent content;
    try {
        content = readProjectFile(path);
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
        return false;
    }
    m_currentFile = absolute(path);
    {
        ScrollHandlerDetached detached(m_keys);
        m_keys.close();
        m_modelFields = content.model;
        m_keys.open(std::move(content));
    }
    emit redrawWave(true);
    m_projectLoaded = true;
    setModified(false);
    emit loaded();
    return true;
}

bool Project::askToSaveChanges()
{
    if (!m_modified)
        return true;
    switch (
        m_prompter.askYesNoCancel(MainCaption, QStringLiteral("Save changes to current file?"))) {
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
    return m_prompter.askYesNo(MainCaption, QStringLiteral("File already exist.Replace?")) ==
           Answer::Yes;
}

bool Project::NewExecute()
{
    if (!askToSaveChanges())
        return false;
    m_keys.close();
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
    if (hasExtension(path, QStringLiteral(".bin")))
        return ImportEepromImage(path);
    return LoadProject(path);
}

bool Project::ImportEepromImage(const QString& path)
{
    // The image is checked before New, so a bad file leaves the open project untouched.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_prompter.notice(
            QStringLiteral("Cannot open %1: %2").arg(native(path), file.errorString()));
        return false;
    }
    const QByteArray image = file.read(qint64(ImageSize) + 1);
    file.close();
    if (image.size() != qsizetype(ImageSize)) {
        m_prompter.notice(QStringLiteral("Not an EEPROM image: %1 bytes, expected %2.")
                              .arg(QFileInfo(path).size())
                              .arg(ImageSize));
        return false;
    }
    // Cancel in New's own question abandons the import instead of filling the open project.
    if (!NewExecute())
        return false;

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
    const std::optional<QString> chosen =
        m_prompter.chooseSaveFile({QString::fromLatin1(ProjectFilter), {}});
    if (!chosen)
        return false;
    return saveTo(*chosen);
}

bool Project::saveTo(const QString& chosenName)
{
    const QString name = absolute(withProjectExtension(chosenName));
    if (name == m_currentFile) {
        try {
            m_keys.applyUpdates();
        } catch (const StoreError& error) {
            m_prompter.notice(error.text());
            return false;
        }
        setModified(false);
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
    return LoadProject(name);
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
                QStringLiteral("Cannot write %1: %2").arg(native(path), file.errorString()));
        file.close();
        SqliteDb db(tempPath);
        // The file is renamed into place only when complete, so it needs no journal.
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        fillTemplateCopy(db, m_modelFields, rows, [this](int i) { emit progressChanged(i); });
    });
}

bool Project::SaveAsExecute()
{
    const std::optional<QString> chosen =
        m_prompter.chooseSaveFile({QString::fromLatin1(ImageFilter), {}});
    if (!chosen)
        return false;
    return compileTo(*chosen);
}

bool Project::compileTo(const QString& chosenName)
{
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
    return written;
}

} // namespace qlv
