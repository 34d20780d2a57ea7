#include "mainwindowui.h"

#include "controls.h"
#include "mainwindow.h"
#include "rightpressfilter.h"

#include <device/devicelink.h>
#include <device/devicemessages.h>
#include <device/frames.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/project.h>
#include <widgets/keygrid.h>
#include <widgets/waveform/wavecontrols.h>
#include <widgets/waveform/waveformview.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>

namespace qlv {

namespace {

constexpr int ToolBarHeight = 57;
constexpr int Panel1Height = 8;
constexpr int StatusBarHeight = 19;

const Qt::Edges TopRight = Qt::TopEdge | Qt::RightEdge;
const Qt::Edges RightBottom = Qt::RightEdge | Qt::BottomEdge;
const Qt::Edges AllEdges = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;

QLabel* label(const QString& text, QWidget* parent, QPoint at)
{
    auto* l = new QLabel(text, parent);
    l->move(at);
    l->adjustSize();
    return l;
}

struct ActionEntry {
    QAction* MainWindowUi::*slot;
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    const char* themeIcon; // nullptr: ours only
    const char* ownIcon;   // nullptr: no icon
    void (MainWindow::*handler)();
    bool needsProject;
};

// In the order the window adds them; Ctrl and the key as the shortcuts.
const ActionEntry Actions[] = {
    {&MainWindowUi::newFile, "New", "New", QKeySequence(Qt::CTRL | Qt::Key_N), "document-new",
     "document-new", &MainWindow::NewExecute, false},
    {&MainWindowUi::open, "Open", "Open...", QKeySequence(Qt::CTRL | Qt::Key_O), "document-open",
     "document-open", &MainWindow::OpenExecute, false},
    {&MainWindowUi::save, "Save", "Save", QKeySequence(Qt::CTRL | Qt::Key_S), "document-save",
     "document-save", &MainWindow::SaveExecute, true},
    {&MainWindowUi::saveAs,
     "SaveAs",
     "Compile",
     {},
     nullptr,
     "compile",
     &MainWindow::SaveAsExecute,
     true},
    {&MainWindowUi::upload,
     "Upload",
     "Up Load",
     {},
     nullptr,
     "device-upload",
     &MainWindow::UploadExecute,
     true},
    {&MainWindowUi::download,
     "Download",
     "Download",
     {},
     nullptr,
     "device-download",
     &MainWindow::DownloadExecute,
     true},
    {&MainWindowUi::about,
     "About",
     "About...",
     {},
     "help-about",
     "help-about",
     &MainWindow::AboutExecute,
     false},
    {&MainWindowUi::copy, "Copy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), "edit-copy",
     "edit-copy", &MainWindow::CopyExecute, true},
    {&MainWindowUi::paste, "Paste", "Paste", QKeySequence(Qt::CTRL | Qt::Key_V), "edit-paste",
     "edit-paste", &MainWindow::PasteExecute, true},
    {&MainWindowUi::selectAll, "SelectAll", "Select All", QKeySequence(Qt::CTRL | Qt::Key_A),
     nullptr, nullptr, &MainWindow::SelectAllExecute, true},
    {&MainWindowUi::insertFunctions, "InsertFunctions", "Insert", QKeySequence(Qt::Key_Insert),
     nullptr, nullptr, &MainWindow::InsertFunctionsExecute, true},
    {&MainWindowUi::delFunctions,
     "DelFunctions",
     "Delete",
     {},
     nullptr,
     nullptr,
     &MainWindow::DelFunctionsExecute,
     true},
    {&MainWindowUi::gotoRow, "Goto", "Goto", QKeySequence(Qt::CTRL | Qt::Key_G), nullptr, nullptr,
     &MainWindow::GotoExecute, true},
    {&MainWindowUi::irLearn,
     "IRLearn",
     "IR Learn",
     {},
     nullptr,
     nullptr,
     &MainWindow::IRLearnExecute,
     true},
    {&MainWindowUi::editFunc,
     "EditFunc",
     "Edit...",
     {},
     nullptr,
     nullptr,
     &MainWindow::EditFuncExecute,
     true},
    {&MainWindowUi::render, "Render1", "Render\u2026", QKeySequence(Qt::CTRL | Qt::Key_R), nullptr,
     nullptr, &MainWindow::RenderExecute, true},
    {&MainWindowUi::importCodes,
     "ImportCodes",
     "Import codes\u2026",
     {},
     nullptr,
     "codes-import",
     &MainWindow::ImportCodesExecute,
     true},
    {&MainWindowUi::exportCodes,
     "ExportCodes",
     "Export codes\u2026",
     {},
     nullptr,
     "codes-export",
     &MainWindow::ExportCodesExecute,
     true},
};

} // namespace

void MainWindowUi::createActions(MainWindow& window)
{
    for (const ActionEntry& entry : Actions) {
        const QIcon icon = entry.ownIcon ? programIcon(QString::fromLatin1(entry.themeIcon),
                                                       QString::fromLatin1(entry.ownIcon))
                                         : QIcon();
        auto* action = new QAction(icon, QString::fromUtf8(entry.caption), &window);
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setShortcut(entry.shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setIconVisibleInMenu(!icon.isNull());
        QObject::connect(action, &QAction::triggered, &window, entry.handler);
        window.addAction(action);
        this->*entry.slot = action;
        if (entry.needsProject)
            needProject << action;
    }
    // Del belongs to the grid menu's item, not to the action: it works while the grid has focus.
    deleteKey = new QAction(QStringLiteral("Delete"), &window);
    deleteKey->setObjectName(QStringLiteral("DeleteIRData1"));
    deleteKey->setShortcut(QKeySequence(Qt::Key_Delete));
    deleteKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(deleteKey, &QAction::triggered, delFunctions, &QAction::trigger);
    needProject << deleteKey;
}

void MainWindowUi::createUndoActions(MainWindow& window, QUndoStack& history)
{
    undo = history.createUndoAction(&window, QStringLiteral("Undo"));
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setIcon(programIcon(QStringLiteral("edit-undo"), QStringLiteral("edit-undo")));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo = history.createRedoAction(&window, QStringLiteral("Redo"));
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setIcon(programIcon(QStringLiteral("edit-redo"), QStringLiteral("edit-redo")));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setIconVisibleInMenu(true);
        window.addAction(action);
    }
}

void MainWindowUi::createControls(MainWindow& window, Anchors& anchors, KeyTable& keys,
                                  RowSelection& selection)
{
    createToolBar(window);
    createModelPanel(window);
    createGrid(window, anchors, keys, selection);
    createDeviceControls(window, anchors);
    createWave(window, anchors, keys);
    createStatusBar(window);
}

void MainWindowUi::createToolBar(QWidget& window)
{
    toolBar = new QToolBar(&window);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setContentsMargins(0, 0, 0, 0);
    // The codes of other IR tools come after the device commands' group.
    const QList<QAction*> buttons{newFile, open,  save,    saveAs,      nullptr,
                                  undo,    redo,  nullptr, upload,      download,
                                  nullptr, about, nullptr, importCodes, exportCodes};
    for (QAction* action : buttons) {
        if (!action) {
            toolBar->addSeparator();
            continue;
        }
        // The caption under the icon is the action's own, "..." included; Undo and Redo
        // name their step in menus and tooltips only.
        if (action == undo || action == redo)
            action->setIconText(action == undo ? QStringLiteral("Undo") : QStringLiteral("Redo"));
        else if (action == importCodes || action == exportCodes)
            // Short captions, so that every button's caption fits the window's width.
            action->setIconText(action == importCodes ? QStringLiteral("Import\u2026")
                                                      : QStringLiteral("Export\u2026"));
        else
            action->setIconText(action->text());
        toolBar->addAction(action);
        // 55 x 51, wider only where a caption would otherwise be cut.
        QWidget* button = toolBar->widgetForAction(action);
        button->setFixedHeight(51);
        button->setMinimumWidth(55);
        // Undo and Redo are icons only, so that the device and code buttons keep their
        // captions in the window's width; the tooltip names the step.
        if (action == undo || action == redo) {
            static_cast<QToolButton*>(button)->setToolButtonStyle(Qt::ToolButtonIconOnly);
            button->setMinimumWidth(36);
        }
    }
}

void MainWindowUi::createModelPanel(QWidget& window)
{
    modelPanel = new QWidget(&window);
    modelPanel->setObjectName(QStringLiteral("Panel1"));
    moduleNameLabel = label({}, modelPanel, {32, 16});
    moduleNameLabel->setObjectName(QStringLiteral("Label3"));
    QFont modelFont = window.font();
    modelFont.setPixelSize(13);
    moduleNameLabel->setFont(modelFont);
    QPalette red = moduleNameLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    moduleNameLabel->setPalette(red);
    moduleIdLabel = label({}, modelPanel, {288, 15});
    moduleIdLabel->setObjectName(QStringLiteral("Label5"));
    manufactoryLabel = label({}, modelPanel, {32, 32});
    manufactoryLabel->setObjectName(QStringLiteral("Label2"));
    typeLabel = label({}, modelPanel, {288, 32});
    typeLabel->setObjectName(QStringLiteral("Label1"));
}

void MainWindowUi::showModel(const ModelFields& model)
{
    // The colon is the full-width one of the Chinese code page.
    const QString colon = QStringLiteral("\uFF1A");
    typeLabel->setText(QStringLiteral("Type") + colon + model.type);
    manufactoryLabel->setText(QStringLiteral("Manufactory") + colon + model.manufactory);
    moduleNameLabel->setText(QStringLiteral("Module Name") + colon + model.moduleName);
    moduleIdLabel->setText(QStringLiteral("Module ID") + colon + model.moduleId);
    for (QLabel* l : {typeLabel, manufactoryLabel, moduleNameLabel, moduleIdLabel})
        l->adjustSize();
}

void MainWindowUi::createGrid(MainWindow& window, Anchors& anchors, KeyTable& keys,
                              RowSelection& selection)
{
    gridPanel = new QWidget(&window);
    gridPanel->setObjectName(QStringLiteral("Panel2"));
    grid = new KeyGrid(keys, selection, gridPanel);
    auto* gridLayout = new QHBoxLayout(gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addWidget(grid);
    anchors.add(gridPanel, {0, 72, 545, 409}, AllEdges);
    grid->addAction(deleteKey);
    QObject::connect(grid, &KeyGrid::functionEditRequested, &window, &MainWindow::EditFuncExecute);
    QObject::connect(grid, &KeyGrid::remarkEditRequested, &window, &MainWindow::RemarkEdit);
    QObject::connect(grid, &KeyGrid::irDataEditRequested, &window, &MainWindow::IRDataEdit);
    QObject::connect(grid, &KeyGrid::holdToSendRequested, &window, &MainWindow::HoldToSend);
    QObject::connect(grid, &KeyGrid::waveRedrawRequested, &window,
                     [&window] { window.RedrawWave(false); });

    gridMenu = new QMenu(&window);
    gridMenu->setObjectName(QStringLiteral("PopupMenu2"));
    gridMenu->addAction(undo);
    gridMenu->addAction(redo);
    gridMenu->addSeparator();
    gridMenu->addAction(copy);
    gridMenu->addAction(paste);
    gridMenu->addSeparator();
    gridMenu->addAction(insertFunctions);
    gridMenu->addAction(deleteKey);
    gridMenu->addSeparator();
    gridMenu->addAction(render);
    auto* rightPress =
        new RightPressFilter([&window](const QPoint& at) { window.openGridMenu(at); }, &window);
    rightPress->watch(grid);
    rightPress->watch(grid->viewport());
    rightPress->watch(grid->verticalHeader()->viewport());
}

void MainWindowUi::createDeviceControls(QWidget& window, Anchors& anchors)
{
    irPortGroup = new QGroupBox(QStringLiteral("IR Port"), &window);
    irPortGroup->setObjectName(QStringLiteral("GroupBox2"));
    anchors.add(irPortGroup, {551, 72, 91, 161}, TopRight);

    learnGroup = new QGroupBox(QStringLiteral("Learn"), &window);
    learnGroup->setObjectName(QStringLiteral("GroupBox1"));
    anchors.add(learnGroup, {655, 72, 91, 161}, TopRight);
    label(QStringLiteral("Time:"), learnGroup, {8, 30});
    learnTime = new QComboBox(learnGroup);
    learnTime->setObjectName(QStringLiteral("ComboBox1"));
    learnTime->setEditable(true);
    learnTime->setInsertPolicy(QComboBox::NoInsert);
    learnTime->addItems({QStringLiteral("1s"), QStringLiteral("2s"), QStringLiteral("3s")});
    learnTime->setGeometry(40, 24, 41, 20);
    label(QStringLiteral("IR Format:"), learnGroup, {8, 56});
    normal = new QRadioButton(QStringLiteral("Normal"), learnGroup);
    normal->setObjectName(QStringLiteral("RadioButton1"));
    normal->setGeometry(8, 72, 78, 17);
    rc5 = new QRadioButton(QStringLiteral("RC5/RC6"), learnGroup);
    rc5->setObjectName(QStringLiteral("RadioButton2"));
    rc5->setGeometry(8, 88, 78, 17);

    learnButton = new QPushButton(irLearn->text(), &window);
    learnButton->setObjectName(QStringLiteral("Button1"));
    anchors.add(learnButton, {665, 192, 67, 25}, TopRight);
    QObject::connect(learnButton, &QPushButton::clicked, irLearn, &QAction::trigger);
    QObject::connect(irLearn, &QAction::changed, learnButton, [this] {
        learnButton->setEnabled(irLearn->isEnabled());
        learnButton->setText(irLearn->text());
    });

    deviceChoosers = new BevelPanel(&window);
    deviceChoosers->setObjectName(QStringLiteral("Panel3"));
    anchors.add(deviceChoosers, {550, 248, 201, 41}, TopRight);
    label(QStringLiteral("COM:"), deviceChoosers, {9, 15});
    comPort = new QComboBox(deviceChoosers);
    comPort->setObjectName(QStringLiteral("ComboBox2"));
    comPort->addItems(DeviceLink::portEntries());
    comPort->setMaxVisibleItems(9);
    comPort->setGeometry(40, 13, 65, 20);
    label(QStringLiteral("ID:"), deviceChoosers, {135, 15});
    deviceIdBox = new QComboBox(deviceChoosers);
    deviceIdBox->setObjectName(QStringLiteral("ComboBox3"));
    deviceIdBox->addItems(deviceIdEntries());
    deviceIdBox->setMaxVisibleItems(16);
    deviceIdBox->setGeometry(152, 13, 41, 20);
}

void MainWindowUi::createWave(QWidget& window, Anchors& anchors, KeyTable& keys)
{
    progress = new QProgressBar(&window);
    progress->setObjectName(QStringLiteral("ProgressBar1"));
    progress->setRange(0, 512);
    progress->setTextVisible(false);
    progress->hide();
    anchors.add(progress, {552, 297, 201, 20}, RightBottom);

    wave = new WaveformView(&window);
    wave->setKeyTable(&keys);
    anchors.add(wave, {0, 486, 756, 121}, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    const WaveControls controls = createWaveControls(*wave, &window);
    anchors.add(controls.zoomIn, {553, 454, 27, 21}, RightBottom);
    anchors.add(controls.normalSize, {587, 454, 25, 21}, RightBottom);
    anchors.add(controls.zoomOut, {617, 454, 27, 21}, RightBottom);
    anchors.add(controls.clearWave, {651, 454, 25, 21}, RightBottom);
    // Where the caption needs more than 73 pixels it grows to the left, not out of the window.
    const int showTimeWidth = std::max(73, controls.showTime->sizeHint().width());
    anchors.add(controls.showTime, {std::max(678, 756 - showTimeWidth), 456, showTimeWidth, 17},
                RightBottom);
}

void MainWindowUi::createStatusBar(QWidget& window)
{
    statusBar = new QStatusBar(&window);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(true);
    const int widths[] = {35, 100, 60, 50};
    // No port is open until the port chooser has opened one.
    const char* texts[] = {" COM", msg::NoPort, "MBD File", ""};
    for (std::size_t i = 0; i < 4; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(texts[i]), statusBar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        // The last panel takes the rest of the bar, as the path it shows needs room.
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(widths[i]);
        statusBar->addWidget(panel, i < 3 ? 0 : 1);
        statusPanels[i] = panel;
    }
    protocolPanel = new QLabel(statusBar);
    protocolPanel->setObjectName(QStringLiteral("ProtocolPanel"));
    protocolPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    protocolPanel->setContentsMargins(2, 0, 2, 0);
    statusBar->addPermanentWidget(protocolPanel);
}

void MainWindowUi::showProtocol(const KeyTable& keys)
{
    const std::string summary = keys.isOpen() && keys.recordCount() > 0
                                    ? recordSummary(recordOf(keys.current()), "   ")
                                    : std::string();
    protocolPanel->setText(QString::fromStdString(summary));
    protocolPanel->setVisible(!summary.empty());
}

void MainWindowUi::followProgress(Project& project)
{
    QProgressBar* bar = progress;
    QObject::connect(&project, &Project::progressStarted, bar, [bar](int maximum) {
        bar->setRange(0, maximum);
        bar->setValue(0);
        bar->show();
        bar->repaint();
    });
    QObject::connect(&project, &Project::progressChanged, bar, [bar](int value) {
        bar->setValue(value);
        bar->repaint();
    });
    QObject::connect(&project, &Project::progressFinished, bar, &QWidget::hide);
}

void MainWindowUi::placeBars(QSize size)
{
    toolBar->setGeometry(0, 0, size.width(), ToolBarHeight);
    modelPanel->setGeometry(0, ToolBarHeight, size.width(), Panel1Height);
    statusBar->setGeometry(0, size.height() - StatusBarHeight, size.width(), StatusBarHeight);
}

} // namespace qlv
