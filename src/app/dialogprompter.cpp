#include "dialogprompter.h"

#include <QApplication>
#include <QFileDialog>
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

DialogPrompter::~DialogPrompter()
{
    delete m_open;
    delete m_save;
}

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

QFileDialog& DialogPrompter::dialog(bool save)
{
    QPointer<QFileDialog>& slot = save ? m_save : m_open;
    if (!slot) {
        slot = new QFileDialog(m_window);
        slot->setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
        slot->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        slot->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The program asks before it replaces a file itself.
        slot->setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    return *slot;
}

std::optional<QString> DialogPrompter::choose(QFileDialog& dialog, const FileRequest& request)
{
    dialog.setNameFilters(qtNameFilters(request.filter));
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    // The next use starts on the same name.
    dialog.selectFile(chosen);
    return chosen;
}

std::optional<QString> DialogPrompter::chooseOpenFile(const FileRequest& request)
{
    return choose(dialog(false), request);
}

std::optional<QString> DialogPrompter::chooseSaveFile(const FileRequest& request)
{
    return choose(dialog(true), request);
}

} // namespace qlv
