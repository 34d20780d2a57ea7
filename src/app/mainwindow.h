// TForm1, the main window: toolbar, key grid, device settings, waveform strip, status bar.
// It owns the open project, the grid's selection and the copy buffer for the whole run.
//
// The device commands, the choosers and the IR port boxes are forwarded to the DeviceLink;
// the window only shows what it reports: the progress window, the disabled controls, the
// learn button's caption, the lamps and the port panel.
#pragma once

#include <rows/copybuffer.h>
#include <rows/rowoperations.h>
#include <rows/rowselection.h>
#include <platform/datafolders.h>
#include <project/project.h>
#include <project/workingcopy.h>

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace qlv {

class Anchors;
class KeyGrid;
class PortLamp;
class RightPressFilter;
class DeviceLink;
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
    ~MainWindow() override;

    Project& project() { return *m_project; }
    RowSelection& selection() { return m_selection; }
    const CopyBuffer& copyBuffer() const { return m_copyBuffer; }
    KeyGrid& grid() { return *m_grid; }
    QString settingsPath() const;

    DeviceLink& deviceLink() { return *m_link; }
    // The device settings, as the device link holds them.
    int LearnTime() const;
    int DeviceId() const;
    int IrFormat() const;
    quint8 IrPortMask() const;
    void setPortLamp(int port, bool sending);
    // The second panel of the status bar: the open port's name, or "No port".
    void setPortStatus(const QString& text);

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

    bool SaveAsUpdate() const;
    bool UploadUpdate() const;
    bool DownloadUpdate() const;
    bool IRLearnUpdate() const;
    bool PasteUpdate() const;
    bool EditFuncUpdate() const;
    void updateActions();

    // Grid and data-set handlers.
    void ADOQuery1AfterScroll();
    void RemarkEdit();
    void IRDataEdit();
    // "Render…": a code from a protocol and its numbers into the current row.
    void RenderExecute();
    void HoldToSend();
    void openGridMenu(const QPoint& globalPos);

    TfmFuncEdit& fmFuncEdit() { return *m_fmFuncEdit; }
    TfmRemark& fmRemark() { return *m_fmRemark; }
    TfmGoTo& fmGoTo() { return *m_fmGoTo; }
    TfmProgress& fmProgress() { return *m_fmProgress; }

    // The physical left button, or a left press the grid is still holding.
    bool leftButtonDown() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createActions();
    void createControls();
    void createIrPortGroup();
    void FormCreate();
    void applySettings();
    void connectProject();
    void connectDeviceLink();
    // Every control directly on the window, and the actions with their shortcuts; Button1
    // (bound to IRLearn) apart, as it stays usable as "Stop" during a learn run.
    void setControlsEnabled(bool enabled, bool learnButtonEnabled);
    void showPortPath();
    // The port panel after a device command: a lost line or a failed reopen leaves no port.
    void showPortState();
    // "Ports…" after "Close": the dialog that writes ports.ini.
    void addPortsEntry();
    void openPortsDialog();
    bool deviceBusy() const;
    void projectLoaded();
    // Runs an operation; an error of the data or file layer is shown, and the window goes on.
    void guarded(const std::function<void()>& operation);
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void ChBoxClick(int port, bool checked);
    bool FormCloseQuery();
    void writeSettings();

    Prompter& m_prompter;
    QString m_dataFolder; // the config folder
    std::unique_ptr<WorkingCopy> m_workingCopy;
    std::unique_ptr<Project> m_project;
    // Goes before the project it works on.
    std::unique_ptr<DeviceLink> m_link;
    RowSelection m_selection;
    CopyBuffer m_copyBuffer;
    std::unique_ptr<RowOperations> m_rowOperations;
    std::unique_ptr<Anchors> m_anchors;

    int m_learnTimeIndex = 0;
    int m_comPortIndex = -1; // the chooser's last entry that is a port or "Close"

    QAction* m_new = nullptr;
    QAction* m_open = nullptr;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
    QAction* m_upload = nullptr;
    QAction* m_download = nullptr;
    QAction* m_about = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_selectAll = nullptr;
    QAction* m_insertFunctions = nullptr;
    QAction* m_delFunctions = nullptr;
    QAction* m_deleteKey = nullptr;
    QAction* m_goto = nullptr;
    QAction* m_irLearn = nullptr;
    QAction* m_editFunc = nullptr;
    QAction* m_render = nullptr;
    QAction* m_importCodes = nullptr;
    QAction* m_exportCodes = nullptr;

    QToolBar* m_toolBar = nullptr;
    QWidget* m_modelPanel = nullptr;
    QLabel* m_typeLabel = nullptr;
    QLabel* m_manufactoryLabel = nullptr;
    QLabel* m_moduleNameLabel = nullptr;
    QLabel* m_moduleIdLabel = nullptr;
    QWidget* m_gridPanel = nullptr;
    KeyGrid* m_grid = nullptr;
    QMenu* m_gridMenu = nullptr;
    QGroupBox* m_irPortGroup = nullptr;
    std::array<QCheckBox*, 8> m_portBoxes{};
    std::array<PortLamp*, 8> m_portLamps{};
    QGroupBox* m_learnGroup = nullptr;
    QComboBox* m_learnTime = nullptr;
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_rc5 = nullptr;
    QPushButton* m_learnButton = nullptr;
    QWidget* m_deviceChoosers = nullptr;
    QComboBox* m_comPort = nullptr;
    QComboBox* m_deviceIdBox = nullptr;
    QProgressBar* m_progress = nullptr;
    WaveformView* m_wave = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 4> m_statusPanels{};
    QLabel* m_protocolPanel = nullptr; // the current row's protocol, code A and B
    RightPressFilter* m_rightPressFilter = nullptr;

    TfmFuncEdit* m_fmFuncEdit = nullptr;
    TfmRemark* m_fmRemark = nullptr;
    TfmGoTo* m_fmGoTo = nullptr;
    TfmProgress* m_fmProgress = nullptr;
    // Where the keys went before a device run disabled the controls; they go there again.
    QPointer<QWidget> m_focusBeforeRun;
    bool m_controlsDisabled = false;
};

} // namespace qlv
