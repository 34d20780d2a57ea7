#include "dialogprompter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace qlv {

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().replace(u';', u' ');
        if (description.isEmpty() || description == patterns)
            filters << patterns;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    if (filters.isEmpty())
        filters << QStringLiteral("*");
    return filters;
}

DialogPrompter::DialogPrompter() = default;

DialogPrompter::~DialogPrompter() = default;

void DialogPrompter::setParentWindow(QWidget* window)
{
    m_window = window;
}

QWidget* DialogPrompter::owner() const
{
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : m_window.data();
}

namespace {

Answer askBox(QWidget* parent, const QString& title, const QString& text,
              QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons.testFlag(QMessageBox::Cancel) ? Answer::Cancel : Answer::No;
    }
}

} // namespace

Answer DialogPrompter::ask(const Question& question)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (question.cancellable)
        buttons |= QMessageBox::Cancel;
    return askBox(owner(), question.title, question.text, buttons);
}

void DialogPrompter::tell(const Notice& notice)
{
    const QString title = notice.title.isEmpty() ? QString::fromLatin1(MainCaption) : notice.title;
    QMessageBox box(QMessageBox::NoIcon, title, notice.text, QMessageBox::Ok, owner());
    box.setInformativeText(notice.detail);
    box.exec();
}

namespace {

// A completion list still up when Return accepted the dialog would stay on screen and take
// the next key or click; it goes before the dialog does.
void closeCompletionLists(QFileDialog& dialog)
{
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
        if (QAbstractItemView* popup = completer->popup()) {
            popup->hide();
            popup->deleteLater();
        }
        completer->setWidget(nullptr);
    }
}

} // namespace

std::optional<QString> DialogPrompter::choose(bool save, const FileRequest& request)
{
    Memory& memory = m_memory.at(std::size_t(request.family));
    QString& lastName = save ? memory.saveName : memory.openName;
    // A dialog for each question: none of it outlives the answer, and the folder is always
    // this family's own, never the one another dialog visited last.
    QFileDialog dialog(m_window);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks before it replaces a file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(qtNameFilters(request.filter));
    dialog.setDirectory(memory.folder.isEmpty() ? QDir::currentPath() : memory.folder);
    const QString proposed = request.proposedName.isEmpty() ? lastName : request.proposedName;
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    closeCompletionLists(dialog);
    if (!accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    // The next question of this family starts on the same folder and name.
    const QFileInfo info(chosen);
    memory.folder = info.absolutePath();
    lastName = info.fileName();
    return chosen;
}

std::optional<QString> DialogPrompter::chooseOpenFile(const FileRequest& request)
{
    return choose(false, request);
}

std::optional<QString> DialogPrompter::chooseSaveFile(const FileRequest& request)
{
    return choose(true, request);
}

} // namespace qlv
