#include "fm_irdata.h"

#include <core/codepage.h>
#include <core/prompter.h>
#include <core/storeerror.h>
#include <irdata/irhextext.h>
#include <project/derivedfields.h>
#include <project/filenames.h>
#include <project/keytable.h>
#include <project/project.h>
#include <project/regularfile.h>
#include <project/wholefile.h>
#include <widgets/fonts.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace qlv {

namespace {

const QString SaveChanges = QStringLiteral("Save changes to IR data?");
const QString SizeChanged = QStringLiteral("Data size have changed.Save failed!");
const QString InvalidFile = QStringLiteral("Invalid IR data file!");

// Blanks and control characters off both ends, as the file name proposal wants them.
QString trimmedName(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text.at(first).unicode() <= ' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}

// The file's lines, each ending in CR LF, as text: UTF-8 when it is, else the code page.
std::string hexTextOf(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = fromCodePage(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    QString joined;
    joined.reserve(text.size() + 64);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') &&
               text.at(end) != QLatin1Char('\n'))
            ++end;
        joined += QStringView(text).mid(start, end - start);
        joined += QLatin1String("\r\n");
        if (end < text.size() && text.at(end) == QLatin1Char('\r') && end + 1 < text.size() &&
            text.at(end + 1) == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return joined.toStdString();
}

} // namespace

TfmIRData::TfmIRData(Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_prompter(&prompter)
{
    setObjectName(QStringLiteral("fmIRData"));
    setWindowTitle(QLatin1String(IrDataCaption));
    setFont(windowFont());

    m_editor = new HexEditor(this);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_editor);
    layout->addWidget(m_statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_open = addCommand("Open", QKeySequence(Qt::CTRL | Qt::Key_O), &TfmIRData::OpenExecute);
    m_save = addCommand("Save", QKeySequence(Qt::CTRL | Qt::Key_S), &TfmIRData::SaveExecute);
    m_copy = addCommand("Copy", QKeySequence(Qt::CTRL | Qt::Key_C), &TfmIRData::CopyExecute);
    m_paste = addCommand("Paste", QKeySequence(Qt::CTRL | Qt::Key_V), &TfmIRData::PasteExecute);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_menu->addAction(m_open);
    m_menu->addAction(m_save);
    m_menu->addSeparator();
    m_menu->addAction(m_copy);
    m_menu->addAction(m_paste);
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_editor->mapToGlobal(at)); });

    connect(m_menu, &QMenu::aboutToShow, this, &TfmIRData::CopyUpdate);
    connect(m_menu, &QMenu::aboutToShow, this, &TfmIRData::PasteUpdate);
    connect(m_editor, &HexEditor::selectionChanged, this, &TfmIRData::CopyUpdate);
    connect(&m_editor->model(), &HexByteModel::dataChanged, this, &TfmIRData::CopyUpdate);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TfmIRData::PasteUpdate);
    CopyUpdate();
    PasteUpdate();
}

QAction* TfmIRData::addCommand(const char* name, const QKeySequence& key,
                               void (TfmIRData::*execute)())
{
    auto* action = new QAction(QLatin1String(name), this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, execute);
    addAction(action);
    return action;
}

void TfmIRData::setKeyTable(KeyTable* keys, std::function<void()> markModified)
{
    m_keys = keys;
    m_markModified = std::move(markModified);
}

void TfmIRData::setProject(Project& project)
{
    setKeyTable(&project.keys(), [&project] { project.setModified(true); });
}

bool TfmIRData::loadCurrentRow()
{
    if (!m_keys || m_keys->recordCount() == 0)
        return false;
    // A value shorter than a record shows as the reading rule pads it, so that it can be
    // completed and kept.
    m_editor->loadData(bytesOf(recordOf(m_keys->current())));
    CopyUpdate();
    PasteUpdate();
    return true;
}

bool TfmIRData::IRDataEdit()
{
    if (!loadCurrentRow())
        return false;
    exec();
    return true;
}

void TfmIRData::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - frameGeometry().center() + pos());
    m_editor->setFocus();
}

void TfmIRData::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

bool TfmIRData::FormCloseQuery()
{
    HexByteModel& model = m_editor->model();
    if (!model.modified())
        return true;
    switch (m_prompter->ask(
        {QuestionKind::SaveIrData, QLatin1String(IrDataCaption), SaveChanges, true})) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        break;
    }
    if (model.size() != qsizetype(RecordSize)) {
        m_prompter->notice(SizeChanged);
        return true;
    }
    try {
        if (!m_keys)
            throw StoreError(QStringLiteral("The key table is not open."));
        KeyRow row = m_keys->current();
        row.irData = model.data();
        m_keys->post(row);
    } catch (const StoreError& error) {
        // The edits stay in the dialog rather than being lost with it.
        m_prompter->notice(error.text());
        return false;
    } catch (const std::out_of_range&) {
        m_prompter->notice(QStringLiteral("The key table is not open."));
        return false;
    }
    if (m_markModified)
        m_markModified();
    model.setModified(false);
    return true;
}

void TfmIRData::CopyExecute()
{
    m_editor->copy();
}

void TfmIRData::PasteExecute()
{
    m_editor->paste();
}

void TfmIRData::CopyUpdate()
{
    m_copy->setEnabled(m_editor->canCopy());
}

void TfmIRData::PasteUpdate()
{
    m_paste->setEnabled(m_editor->canPaste());
}

QString TfmIRData::proposedFileName() const
{
    QString name;
    if (m_keys && m_keys->recordCount() > 0)
        name = trimmedName(textOf(m_keys->current().function));
    if (name.isEmpty())
        name = QStringLiteral("Default");
    return name + QLatin1String(".txt");
}

void TfmIRData::SaveExecute()
{
    const std::optional<QString> chosen = m_prompter->chooseSaveFile(
        {QLatin1String(HexTextFilter), proposedFileName(), FileFamily::HexText});
    if (!chosen)
        return;
    const QString name = withHexTextExtension(*chosen);
    if (QFileInfo::exists(name) && m_prompter->ask(replaceFileQuestion()) != Answer::Yes)
        return;
    QByteArray bytes;
    try {
        bytes = m_editor->model().read(0, qsizetype(RecordSize));
    } catch (const HexRangeError& error) {
        m_prompter->notice(QString::fromLatin1(error.what()));
        return;
    }
    CodeRecord record;
    std::copy_n(bytes.constData(), RecordSize, record.begin());
    try {
        writeFileWhole(name, QByteArray::fromStdString(writeIrHexText(record)));
    } catch (const StoreError& error) {
        m_prompter->notice(error.text());
    }
}

void TfmIRData::OpenExecute()
{
    const std::optional<QString> chosen =
        m_prompter->chooseOpenFile({QLatin1String(HexTextFilter), {}, FileFamily::HexText});
    if (!chosen)
        return;
    QByteArray content;
    try {
        content = readRegularFile(*chosen, qint64(MaxHexTextFile));
    } catch (const StoreError& error) {
        m_prompter->notice(error.text());
        return;
    }
    if (content.size() > qsizetype(MaxHexTextFile)) {
        m_prompter->notice(InvalidFile);
        return;
    }
    CodeRecord record{};
    const HexParseResult parsed = ParseHexText(hexTextOf(content), record);
    if (!parsed.ok) {
        m_prompter->notice(QString::fromStdString(parsed.message));
        return;
    }
    if (parsed.count != RecordSize) {
        m_prompter->notice(InvalidFile);
        return;
    }
    m_editor->loadData(bytesOf(record));
    // Loaded from a file, the bytes are an edit of the row even when they equal it.
    m_editor->model().setModified(true);
}

bool runIrDataEdit(Project& project, Prompter& prompter, QWidget* parent)
{
    TfmIRData* dialog = parent ? parent->findChild<TfmIRData*>(QStringLiteral("fmIRData"),
                                                               Qt::FindDirectChildrenOnly)
                               : nullptr;
    if (!dialog)
        dialog = new TfmIRData(prompter, parent);
    dialog->setPrompter(prompter);
    dialog->setProject(project);
    const bool shown = dialog->IRDataEdit();
    if (!parent)
        delete dialog;
    return shown;
}

} // namespace qlv
