// The window's checks of what the device holds: the "Verify" box beside Download, "Compare
// with device" with its result list, and "Learn each key twice". The main window places the
// widgets and the action and runs download() and compareWithDevice() as its handlers.
#pragma once

#include "edithistory.h"

#include <QObject>
#include <QPointer>

class QAction;
class QCheckBox;
class QWidget;

namespace qlv {

class CompareDialog;
class DeviceLink;
class Project;
class Prompter;

class DeviceChecks : public QObject {
    Q_OBJECT

public:
    DeviceChecks(DeviceLink& link, Project& project, Prompter& prompter, QWidget* window);

    QCheckBox* verifyBox() const { return m_verify; }
    QCheckBox* learnTwiceBox() const { return m_learnTwice; }
    QAction* compareAction() const { return m_compare; }
    CompareDialog* compareDialog() const;
    void setEditRecorder(EditRecorder recorder) { m_record = std::move(recorder); }

    // Download as its button runs it: verified when the box is checked.
    void download();
    // Reads the EEPROM into memory and lists where it differs from the project.
    void compareWithDevice();

private:
    DeviceLink& m_link;
    Project& m_project;
    Prompter& m_prompter;
    QWidget* m_window;
    QCheckBox* m_verify = nullptr;
    QCheckBox* m_learnTwice = nullptr;
    QAction* m_compare = nullptr;
    QPointer<CompareDialog> m_dialog;
    EditRecorder m_record;
};

} // namespace qlv
