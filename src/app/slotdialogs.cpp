#include "slotdialogs.h"

#include "renderdialog.h"

#include <core/storeerror.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/project.h>
#include <rows/gotorules.h>
#include <widgets/fm_goto.h>
#include <widgets/keydialog.h>

#include <QLineEdit>

namespace qlv {

void runGuarded(Prompter& prompter, const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const StoreError& error) {
        prompter.notice(error.text());
    }
}

void editSlotText(KeyDialog& dialog, const QString& current, KeyTable& keys,
                  void (*edit)(KeyTable&, const QString&), Prompter& prompter)
{
    dialog.setText(current);
    dialog.Edit1()->selectAll();
    if (dialog.exec() == ConfirmResult)
        runGuarded(prompter, [&] { edit(keys, dialog.text()); });
}

void goToRow(TfmGoTo& dialog, KeyTable& keys, Prompter& prompter)
{
    if (dialog.exec() != ConfirmResult)
        return;
    const QString text = dialog.text();
    runGuarded(prompter, [&] {
        if (dialog.byId())
            gotoById(keys, text, prompter);
        else
            gotoByFunction(keys, text, prompter);
    });
}

bool renderIntoCurrentRow(QWidget* parent, Project& project, Prompter& prompter)
{
    KeyTable& keys = project.keys();
    if (!keys.isOpen() || keys.recordCount() == 0)
        return false;
    RenderDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    std::optional<CodeRecord> record = dialog.record();
    if (!record)
        return false;
    runGuarded(prompter, [&] {
        KeyRow row = keys.current();
        // The slot keeps its name; the post sets Format, Carry and Function from the record.
        writeName(*record, nameText(recordOf(row)));
        row.irData = bytesOf(*record);
        keys.post(row);
        project.setModified(true);
    });
    return true;
}

} // namespace qlv
