// TForm1, the main window: toolbar, key grid, device settings, waveform strip, status bar.
// It owns the open project, the grid's selection and the copy buffer for the whole run.
//
// It composes: MainWindowUi builds the actions and controls, DevicePanel binds the device's
// choosers, boxes and lamps to the DeviceLink and QLV.ini; the window wires the project's
// lifecycle, runs the actions and makes the close check.
#pragma once

#include "devicepanel.h"
#include "edithistory.h"
#include "mainwindowui.h"

#include <device/devicelink.h>

#include <platform/datafolders.h>
#include <project/project.h>
#include <project/workingcopy.h>
#include <rows/copybuffer.h>
#include <rows/rowoperations.h>
#include <rows/rowselection.h>

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace qlv {

class Anchors;
class DeviceChecks;
class KeyGrid;
class RecentProjects;
class TfmFuncEdit;
class TfmGoTo;
class TfmProgress;
class TfmRemark;
class WaveformView;

inline constexpr const char* AboutText = "K-817T 09.10.15";
inline constexpr const char* AboutCaption = "Version";

class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 758;
    // The waveform strip needs its 121 pixels from 486 down, then the status bar: 584 would
    // hide the lower trace and the strip's scroll bar, so the window is that much taller.
    static constexpr int ClientHeight = 626;

    // dataFolder holds the working copy, QLV.ini and ports.ini.
    MainWindow(Prompter& prompter, const QString& dataFolder, QWidget* parent = nullptr);
    // QLV.ini and ports.ini in folders.config, the working copy in folders.state.
    MainWindow(Prompter& prompter, const DataFolders& folders, QWidget* parent = nullptr);
    // Deferred: the saved port is chosen but opened only by openSavedPort(), so that an error
    // in opening it can come once the window is shown.
    enum class PortOpening { Now, Deferred };
    MainWindow(Prompter& prompter, const DataFolders& folders, PortOpening portOpening,
               QWidget* parent = nullptr);
    void openSavedPort();
    ~MainWindow() override;

    Project& project() { return *m_project; }
    RowSelection& selection() { return m_selection; }
    const CopyBuffer& copyBuffer() const { return m_copyBuffer; }
    KeyGrid& grid() { return *m_ui.grid; }
    QString settingsPath() const;

    DeviceLink& deviceLink() { return *m_link; }
    EditHistory& history() { return *m_history; }
    // The device settings, as the device link holds them.
    int LearnTime() const { return m_link->settings().LearnTime; }
    int DeviceId() const { return m_link->settings().DeviceId; }
    int IrFormat() const { return m_link->settings().IrFormat; }
    quint8 IrPortMask() const { return m_link->settings().IrPortMask; }
    void setPortLamp(int port, bool sending) { m_devicePanel->setPortLamp(port, sending); }
    // The second panel of the status bar: the open port's name, or "No port".
    void setPortStatus(const QString& text) { m_devicePanel->setPortStatus(text); }

    // The waveform view's entry points.
    void RedrawWave(bool shiftPrevious);
    void ClearWave();

    // Actions.
    void NewExecute();
    void OpenExecute();
    // Open on a file already chosen (the command line's): a project, an image or a Jet file.
    void openFile(const QString& path);
    void SaveExecute();
    void SaveAsExecute();
    void UploadExecute();
    void DownloadExecute();
    void AboutExecute();
    void CopyExecute();
    void PasteExecute();
    void SelectAllExecute();
    void InsertFunctionsExecute();
    void DelFunctionsExecute();
    void GotoExecute();
    void IRLearnExecute();
    void EditFuncExecute();
    // Codes from and for other IR tools' files.
    void ImportCodesExecute();
    void ExportCodesExecute();
    // The codes of a file already chosen (a drop, or Import codes' dialog) from row (0-based)
    // down; row becomes the current row first.
    void importCodesFile(const QString& path, int row);

    // Enables the actions that need a project as far as one is loaded.
    void updateActions();

    // Grid and data-set handlers.
    void ADOQuery1AfterScroll();
    void RemarkEdit();
    void IRDataEdit();
    // "Render…": a code from a protocol and its numbers into the current row.
    void RenderExecute();
    void HoldToSend();
    void openGridMenu(const QPoint& globalPos);

    // Built on first use.
    TfmFuncEdit& fmFuncEdit();
    TfmRemark& fmRemark();
    TfmGoTo& fmGoTo();
    TfmProgress& fmProgress();
    DeviceChecks& deviceChecks() { return *m_checks; }

    // The physical left button, or a left press the grid is still holding.
    bool leftButtonDown() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectProject();
    void connectDeviceLink();
    void addDeviceChecks();
    // The Open button's recent projects and the files dropped on the window.
    void addFileEntries();
    // Every control directly on the window, and the actions with their shortcuts; Button1
    // (bound to IRLearn) apart, as it stays usable as "Stop" during a learn run.
    void setControlsEnabled(bool enabled, bool learnButtonEnabled);
    bool deviceBusy() const;
    void projectLoaded();
    // Runs an operation; an error of the data or file layer is shown, and the window goes on.
    void guarded(const std::function<void()>& operation);
    // Runs a device command, then shows what became of the port.
    void deviceCommand(const std::function<void()>& command);
    bool FormCloseQuery();
    // An edit of the current slot, as one undo step named "WHAT slot N".
    void recordSlotEdit(const QString& what, const std::function<void()>& edit);

    Prompter& m_prompter;
    QString m_dataFolder; // the config folder
    std::unique_ptr<WorkingCopy> m_workingCopy;
    std::unique_ptr<Project> m_project;
    // Goes before the project it works on.
    std::unique_ptr<DeviceLink> m_link;
    RowSelection m_selection;
    CopyBuffer m_copyBuffer;
    std::unique_ptr<RowOperations> m_rowOperations;
    std::unique_ptr<EditHistory> m_history;
    std::unique_ptr<Anchors> m_anchors;

    MainWindowUi m_ui;
    DevicePanel* m_devicePanel = nullptr;
    DeviceChecks* m_checks = nullptr; // Verify, Compare with device, Learn each key twice
    // The Open button's drop-down.
    RecentProjects* m_recent = nullptr;

    TfmFuncEdit* m_fmFuncEdit = nullptr;
    TfmRemark* m_fmRemark = nullptr;
    TfmGoTo* m_fmGoTo = nullptr;
    TfmProgress* m_fmProgress = nullptr;
    // Where the keys went before a device run disabled the controls; they go there again.
    QPointer<QWidget> m_focusBeforeRun;
    bool m_controlsDisabled = false;
};

} // namespace qlv
