// "Compare with device": the slots where the project and the device's EEPROM differ, one line
// each with both names and both decodes. A click goes to the slot in the grid; "Take from
// device" stores the device's slots into the selected rows.
#pragma once

#include "edithistory.h"

#include <device/compare.h>

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qlv {

class KeyTable;
class Prompter;

class CompareDialog : public QDialog {
    Q_OBJECT

public:
    // device: the EEPROM as it was read; the list is built against the rows as they are now.
    CompareDialog(KeyTable& keys, Prompter& prompter, std::vector<CodeRecord> device,
                  QWidget* parent = nullptr);
    // The window's history, so that a take is one undoable step.
    void setEditRecorder(EditRecorder recorder) { m_record = std::move(recorder); }

    QTreeWidget* list() const { return m_list; }
    // The device's slots into the rows selected in the list, as one batch of row posts (one
    // step for an undo to take back), then the list anew.
    void takeFromDevice();

private:
    void refresh();
    void goToSelected();

    KeyTable& m_keys;
    Prompter& m_prompter;
    std::vector<CodeRecord> m_device;
    EditRecorder m_record;
    QLabel* m_summary = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_take = nullptr;
};

} // namespace qlv
