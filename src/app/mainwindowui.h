// The main window's actions and controls: built here, in the order and at the places the
// window shows them; the window wires them to the project and the device.
#pragma once

#include <QList>
#include <QSize>

#include <array>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QToolBar;
class QUndoStack;
class QWidget;

namespace qlv {

class Anchors;
class KeyGrid;
class KeyTable;
class MainWindow;
class Project;
class RowSelection;
class WaveformView;
struct ModelFields;

struct MainWindowUi {
    QAction* newFile = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr; // "Compile"
    QAction* upload = nullptr;
    QAction* download = nullptr;
    QAction* about = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* selectAll = nullptr;
    QAction* insertFunctions = nullptr;
    QAction* delFunctions = nullptr;
    QAction* deleteKey = nullptr; // Del on the grid, the grid menu's "Delete"
    QAction* gotoRow = nullptr;
    QAction* irLearn = nullptr;
    QAction* editFunc = nullptr;
    QAction* render = nullptr;
    QAction* importCodes = nullptr;
    QAction* exportCodes = nullptr;
    QAction* undo = nullptr; // "Undo Delete slot 10"
    QAction* redo = nullptr;
    // The one rule of the actions: these work only on a loaded project.
    QList<QAction*> needProject;

    QToolBar* toolBar = nullptr;
    QWidget* modelPanel = nullptr;
    QLabel* typeLabel = nullptr;
    QLabel* manufactoryLabel = nullptr;
    QLabel* moduleNameLabel = nullptr;
    QLabel* moduleIdLabel = nullptr;
    QWidget* gridPanel = nullptr;
    KeyGrid* grid = nullptr;
    QMenu* gridMenu = nullptr;
    QGroupBox* irPortGroup = nullptr;
    QGroupBox* learnGroup = nullptr;
    QComboBox* learnTime = nullptr;
    QRadioButton* normal = nullptr;
    QRadioButton* rc5 = nullptr;
    QPushButton* learnButton = nullptr;
    QWidget* deviceChoosers = nullptr;
    QComboBox* comPort = nullptr;
    QComboBox* deviceIdBox = nullptr;
    QProgressBar* progress = nullptr;
    WaveformView* wave = nullptr;
    QStatusBar* statusBar = nullptr;
    std::array<QLabel*, 4> statusPanels{};
    QLabel* protocolPanel = nullptr; // the current row's protocol, code A and B

    // The actions, each calling its handler on window, added to it with their shortcuts.
    void createActions(MainWindow& window);
    // Undo and Redo of the window's history, before the controls that show them.
    void createUndoActions(MainWindow& window, QUndoStack& history);
    // Every control, on window at its place in the anchors.
    void createControls(MainWindow& window, Anchors& anchors, KeyTable& keys,
                        RowSelection& selection);
    // The model panel's four labels.
    void showModel(const ModelFields& model);
    // The status bar's protocol panel: the current row's protocol, hidden without one.
    void showProtocol(const KeyTable& keys);
    // The progress bar shows the project's long operations.
    void followProgress(Project& project);
    // The toolbar, the model panel and the status bar span the window's width.
    void placeBars(QSize size);

private:
    void createToolBar(QWidget& window);
    void createModelPanel(QWidget& window);
    void createGrid(MainWindow& window, Anchors& anchors, KeyTable& keys, RowSelection& selection);
    void createDeviceControls(QWidget& window, Anchors& anchors);
    void createWave(QWidget& window, Anchors& anchors, KeyTable& keys);
    void createStatusBar(QWidget& window);
};

} // namespace qlv
