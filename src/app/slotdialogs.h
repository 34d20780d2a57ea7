// The window's dialogs over the current slot: the function name, the remark, Go to and
// Render…. Each runs its dialog and hands what was confirmed to the core's edit.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qlv {

class KeyDialog;
class KeyTable;
class Project;
class Prompter;
class TfmGoTo;

// Runs operation; an error of the data or file layer is shown, and the window goes on.
void runGuarded(Prompter& prompter, const std::function<void()>& operation);

// The dialog shows current, selected; on OK edit gets the table and the dialog's text.
void editSlotText(KeyDialog& dialog, const QString& current, KeyTable& keys,
                  void (*edit)(KeyTable&, const QString&), Prompter& prompter);
void goToRow(TfmGoTo& dialog, KeyTable& keys, Prompter& prompter);
// False when there was no row or the dialog gave no code.
bool renderIntoCurrentRow(QWidget* parent, Project& project, Prompter& prompter);

} // namespace qlv
