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
    deviceCommand([this] { m_link->UploadExecute(); });
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
    if (!m_link->learning()) {
        if (!m_project->projectLoaded())
            return;
        if (m_selection.count() == 0 && m_project->keys().recordCount() > 0)
            m_selection.selectRow(m_project->keys().currentIndex());
    }
    deviceCommand([this] { m_link->IRLearnExecute(m_selection.rows()); });
}

void MainWindow::HoldToSend()
{
    deviceCommand([this] { m_link->holdToSend([this] { return leftButtonDown(); }); });
}

void MainWindow::IRDataEdit()
{
    if (!m_project->keys().isOpen())
        return;
    guarded([this] { runIrDataEdit(*m_project, m_prompter, this); });
    RedrawWave(false);
}

void MainWindow::RenderExecute()
{
    if (renderIntoCurrentRow(this, *m_project, m_prompter))
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
        guarded([this] { m_rowOperations->PasteExecute(); });
}

void MainWindow::SelectAllExecute()
{
    guarded([this] { m_rowOperations->SelectAllExecute(); });
}

void MainWindow::InsertFunctionsExecute()
{
    guarded([this] { m_rowOperations->InsertFunctionsExecute(); });
}

void MainWindow::DelFunctionsExecute()
{
    guarded([this] { m_rowOperations->DelFunctionsExecute(); });
}

void MainWindow::GotoExecute()
{
    goToRow(fmGoTo(), m_project->keys(), m_prompter);
}

void MainWindow::EditFuncExecute()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() > 0)
        editSlotText(fmFuncEdit(), textOf(keys.current().function), keys, editFunctionName,
                     m_prompter);
}

void MainWindow::RemarkEdit()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() > 0)
        editSlotText(fmRemark(), textOf(keys.current().remark), keys, editRemark, m_prompter);
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
        keys.setRecNo(row + 1);
        if (importCodesFromPath(*m_project, m_prompter, path, row))
            RedrawWave(false);
    });
    updateActions();
}

void MainWindow::ExportCodesExecute()
{
    guarded([this] { exportCodesToFile(*m_project, m_prompter, m_selection.rows()); });
}

} // namespace qlv
