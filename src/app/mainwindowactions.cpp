// What each of the window's actions does: the project's, the device's and the rows'
// commands, and the dialogs over the current slot.
#include "mainwindow.h"

#include "devicechecks.h"
#include "devicepanel.h"
#include "slotdialogs.h"

#include <device/devicelink.h>
#include <project/codeinterchange.h>
#include <project/derivedfields.h>
#include <rows/slotedits.h>
#include <widgets/fm_funcedit.h>
#include <widgets/fm_goto.h>
#include <widgets/fm_remark.h>
#include <widgets/hexedit/fm_irdata.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QMenu>
#include <QMessageBox>

namespace qlv {

void MainWindow::updateActions()
{
    // After a New that failed there is no table: nothing to save or to edit.
    const bool loaded = m_project->projectLoaded();
    for (QAction* action : m_ui.needProject)
        action->setEnabled(loaded);
    m_ui.paste->setEnabled(loaded && m_rowOperations->PasteUpdate());
    // The run that disabled every action may have ended with nothing to undo.
    m_ui.undo->setEnabled(loaded && m_history->stack().canUndo());
    m_ui.redo->setEnabled(loaded && m_history->stack().canRedo());
}

void MainWindow::recordSlotEdit(const QString& what, const std::function<void()>& edit)
{
    const KeyTable& keys = m_project->keys();
    const int slot = keys.recordCount() > 0 ? keys.current().id : 0;
    m_history->record(QStringLiteral("%1 slot %2").arg(what).arg(slot), edit);
}

void MainWindow::NewExecute()
{
    guarded([this] { m_project->NewExecute(); });
    updateActions();
}

void MainWindow::OpenExecute()
{
    guarded([this] { m_project->OpenExecute(); });
    updateActions();
}

void MainWindow::openFile(const QString& path)
{
    guarded([this, &path] {
        if (m_project->askToSaveChanges())
            m_project->openFile(path);
    });
    updateActions();
}

void MainWindow::SaveExecute()
{
    guarded([this] { m_project->SaveExecute(); });
    updateActions();
}

void MainWindow::SaveAsExecute()
{
    if (m_project->projectLoaded())
        guarded([this] { m_project->compile(); });
}

void MainWindow::deviceCommand(const std::function<void()>& command)
{
    guarded(command);
    m_devicePanel->showPortState();
}

void MainWindow::UploadExecute()
{
    if (!m_project->projectLoaded())
        return;
    deviceCommand([this] {
        m_history->record(QStringLiteral("Upload"), [this] { m_link->UploadExecute(); });
    });
    updateActions();
}

void MainWindow::DownloadExecute()
{
    if (!m_project->projectLoaded())
        return;
    deviceCommand([this] { m_checks->download(); });
    updateActions();
}

void MainWindow::IRLearnExecute()
{
    // A click while learning is the "Stop": the running run ends by itself.
    if (m_link->learning()) {
        deviceCommand([this] { m_link->IRLearnExecute(m_selection.rows()); });
        return;
    }
    if (!m_project->projectLoaded())
        return;
    const KeyTable& keys = m_project->keys();
    if (m_selection.count() == 0 && keys.recordCount() > 0)
        m_selection.selectRow(keys.currentIndex());
    // The whole run is one step.
    const std::vector<int> rows = m_selection.rows();
    const QString name = rows.size() == 1
                             ? QStringLiteral("Learn slot %1").arg(keys.row(rows.front()).id)
                             : QStringLiteral("Learn %1 slots").arg(rows.size());
    deviceCommand([this, &name, &rows] {
        m_history->record(name, [this, &rows] { m_link->IRLearnExecute(rows); });
    });
}

void MainWindow::HoldToSend()
{
    deviceCommand([this] { m_link->holdToSend([this] { return leftButtonDown(); }); });
}

void MainWindow::IRDataEdit()
{
    if (!m_project->keys().isOpen())
        return;
    guarded([this] {
        recordSlotEdit(QStringLiteral("Edit IR data of"),
                       [this] { runIrDataEdit(*m_project, m_prompter, this); });
    });
    RedrawWave(false);
}

void MainWindow::RenderExecute()
{
    bool rendered = false;
    guarded([this, &rendered] {
        recordSlotEdit(QStringLiteral("Render into"), [this, &rendered] {
            rendered = renderIntoCurrentRow(this, *m_project, m_prompter);
        });
    });
    if (rendered)
        RedrawWave(false);
}

void MainWindow::AboutExecute()
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AboutCaption),
                    QString::fromLatin1(AboutText), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.exec();
}

void MainWindow::CopyExecute()
{
    guarded([this] { m_rowOperations->CopyExecute(); });
    updateActions();
}

void MainWindow::PasteExecute()
{
    if (m_rowOperations->PasteUpdate())
        guarded([this] {
            recordSlotEdit(QStringLiteral("Paste into"),
                           [this] { m_rowOperations->PasteExecute(); });
        });
}

void MainWindow::SelectAllExecute()
{
    guarded([this] { m_rowOperations->SelectAllExecute(); });
}

void MainWindow::InsertFunctionsExecute()
{
    guarded([this] {
        recordSlotEdit(QStringLiteral("Insert"),
                       [this] { m_rowOperations->InsertFunctionsExecute(); });
    });
}

void MainWindow::DelFunctionsExecute()
{
    guarded([this] {
        recordSlotEdit(QStringLiteral("Delete"),
                       [this] { m_rowOperations->DelFunctionsExecute(); });
    });
}

void MainWindow::GotoExecute()
{
    goToRow(fmGoTo(), m_project->keys(), m_prompter);
}

void MainWindow::EditFuncExecute()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() == 0)
        return;
    recordSlotEdit(QStringLiteral("Edit name of"), [this, &keys] {
        editSlotText(fmFuncEdit(), textOf(keys.current().function), keys, editFunctionName,
                     m_prompter);
    });
}

void MainWindow::RemarkEdit()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() == 0)
        return;
    recordSlotEdit(QStringLiteral("Edit remark of"), [this, &keys] {
        editSlotText(fmRemark(), textOf(keys.current().remark), keys, editRemark, m_prompter);
    });
}

void MainWindow::openGridMenu(const QPoint& globalPos)
{
    if (!m_ui.grid->isEnabled())
        return;
    updateActions();
    m_ui.gridMenu->popup(globalPos);
}

void MainWindow::ImportCodesExecute()
{
    const int row = m_project->keys().recNo() - 1;
    if (row < 0 || row >= m_project->keys().recordCount())
        return;
    if (const std::optional<QString> path = chooseCodeFile(m_prompter))
        importCodesFile(*path, row);
}

void MainWindow::importCodesFile(const QString& path, int row)
{
    guarded([this, &path, row] {
        KeyTable& keys = m_project->keys();
        if (row < 0 || row >= keys.recordCount())
            return;
        // The step takes its name from the row the codes go into.
        keys.setRecNo(row + 1);
        bool imported = false;
        recordSlotEdit(QStringLiteral("Import codes into"), [this, &path, row, &imported] {
            imported = importCodesFromPath(*m_project, m_prompter, path, row);
        });
        if (imported)
            RedrawWave(false);
    });
    updateActions();
}

void MainWindow::ExportCodesExecute()
{
    guarded([this] { exportCodesToFile(*m_project, m_prompter, m_selection.rows()); });
}

} // namespace qlv
