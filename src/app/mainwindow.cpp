#include "mainwindow.h"

#include "controls.h"
#include "fm_progress.h"
#include "portsdialog.h"
#include "renderdialog.h"
#include "rightpressfilter.h"
#include "settings.h"
#include <widgets/waveform/wavecontrols.h>
#include <widgets/waveform/waveformview.h>

#include <device/devicelink.h>
#include <device/devicemessages.h>
#include <device/frames.h>
#include <irdata/signalrecord.h>
#include <widgets/fm_funcedit.h>
#include <widgets/fm_goto.h>
#include <widgets/fm_remark.h>
#include <rows/gotorules.h>
#include <widgets/hexedit/fm_irdata.h>
#include <widgets/keygrid.h>
#include <rows/slotedits.h>
#include <platform/systemports.h>
#include <project/codeinterchange.h>
#include <project/derivedfields.h>
#include <core/storeerror.h>
#include <widgets/fonts.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace qlv {

namespace {

// The smallest outer size is 575 x 596; the client area is that less a usual window frame.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 27;
constexpr int MinimumOuterWidth = 575;
constexpr int MinimumOuterHeight = 596;

constexpr int ToolBarHeight = 57;
constexpr int Panel1Height = 8;
constexpr int StatusBarHeight = 19;

const Qt::Edges TopLeft = Qt::TopEdge | Qt::LeftEdge;
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

} // namespace


MainWindow::MainWindow(Prompter& prompter, const QString& dataFolder, QWidget* parent)
    : MainWindow(prompter, DataFolders{dataFolder, dataFolder}, parent)
{
}

MainWindow::MainWindow(Prompter& prompter, const DataFolders& folders, QWidget* parent)
    : QWidget(parent)
    , m_prompter(prompter)
    , m_dataFolder(folders.config)
    , m_anchors(std::make_unique<Anchors>(QSize(ClientWidth, ClientHeight)))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(MainCaption));
    setWindowIcon(programIcon({}, QStringLiteral("qlv")));
    setFont(windowFont());

    QString workingCopyPath = QDir(folders.state).filePath(QStringLiteral("Temp.~tmp"));
    try {
        m_workingCopy = std::make_unique<WorkingCopy>(folders.state);
        workingCopyPath = m_workingCopy->path();
    } catch (const StoreError& error) {
        // New then fails on the same folder and the window opens without a project.
        m_prompter.notice(error.text());
    }
    m_project = std::make_unique<Project>(prompter, workingCopyPath);
    // ports.ini lies beside QLV.ini.
    m_link = std::make_unique<DeviceLink>(
        prompter, *m_project, makeSerialStream(),
        loadPortMap(QDir(folders.config).filePath(QStringLiteral("ports.ini"))));
    m_rowOperations =
        std::make_unique<RowOperations>(*m_project, m_selection, m_copyBuffer, prompter);

    createActions();
    createControls();
    connectProject();
    connectDeviceLink();
    FormCreate();

    m_fmFuncEdit = new TfmFuncEdit(this);
    m_fmRemark = new TfmRemark(this);
    m_fmGoTo = new TfmGoTo(this);
    m_fmProgress = new TfmProgress(this);
    connect(m_fmProgress, &TfmProgress::closed, m_link.get(), &DeviceLink::cancelTransfer);

    // The keys work on the grid from the start.
    m_grid->setFocus();
    resize(ClientWidth, ClientHeight);
    setMinimumSize(MinimumOuterWidth - FrameWidth, MinimumOuterHeight - FrameHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));
}

MainWindow::~MainWindow()
{
    // The grid and the handlers read the table and the selection: they go before those do.
    m_project->keys().setAfterScroll({});
    delete m_gridPanel;
}

QString MainWindow::settingsPath() const
{
    return QDir(m_dataFolder).filePath(QString::fromLatin1(SettingsFileName));
}

void MainWindow::createActions()
{
    auto make = [this](const char* name, const QString& caption, const QKeySequence& shortcut,
                       const QIcon& icon, void (MainWindow::*handler)()) {
        auto* action = new QAction(icon, caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setIconVisibleInMenu(!icon.isNull());
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        return action;
    };
    m_new = make("New", QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_N),
                 programIcon(QStringLiteral("document-new"), QStringLiteral("document-new")),
                 &MainWindow::NewExecute);
    m_open = make("Open", QStringLiteral("Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                  programIcon(QStringLiteral("document-open"), QStringLiteral("document-open")),
                  &MainWindow::OpenExecute);
    m_save = make("Save", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                  programIcon(QStringLiteral("document-save"), QStringLiteral("document-save")),
                  &MainWindow::SaveExecute);
    m_saveAs = make("SaveAs", QStringLiteral("Compile"), {},
                    programIcon({}, QStringLiteral("compile")), &MainWindow::SaveAsExecute);
    m_upload = make("Upload", QStringLiteral("Up Load"), {},
                    programIcon({}, QStringLiteral("device-upload")), &MainWindow::UploadExecute);
    m_download =
        make("Download", QStringLiteral("Download"), {},
             programIcon({}, QStringLiteral("device-download")), &MainWindow::DownloadExecute);
    m_about = make("About", QStringLiteral("About..."), {},
                   programIcon(QStringLiteral("help-about"), QStringLiteral("help-about")),
                   &MainWindow::AboutExecute);
    m_copy = make("Copy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                  programIcon(QStringLiteral("edit-copy"), QStringLiteral("edit-copy")),
                  &MainWindow::CopyExecute);
    m_paste = make("Paste", QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
                   programIcon(QStringLiteral("edit-paste"), QStringLiteral("edit-paste")),
                   &MainWindow::PasteExecute);
    m_selectAll = make("SelectAll", QStringLiteral("Select All"),
                       QKeySequence(Qt::CTRL | Qt::Key_A), {}, &MainWindow::SelectAllExecute);
    m_insertFunctions = make("InsertFunctions", QStringLiteral("Insert"),
                             QKeySequence(Qt::Key_Insert), {}, &MainWindow::InsertFunctionsExecute);
    m_delFunctions =
        make("DelFunctions", QStringLiteral("Delete"), {}, {}, &MainWindow::DelFunctionsExecute);
    m_goto = make("Goto", QStringLiteral("Goto"), QKeySequence(Qt::CTRL | Qt::Key_G), {},
                  &MainWindow::GotoExecute);
    m_irLearn = make("IRLearn", QStringLiteral("IR Learn"), {}, {}, &MainWindow::IRLearnExecute);
    m_editFunc = make("EditFunc", QStringLiteral("Edit..."), {}, {}, &MainWindow::EditFuncExecute);
    m_render = make("Render1", QStringLiteral("Render…"), QKeySequence(Qt::CTRL | Qt::Key_R), {},
                    &MainWindow::RenderExecute);
    m_importCodes =
        make("ImportCodes", QStringLiteral("Import codes\u2026"), {},
             programIcon({}, QStringLiteral("codes-import")), &MainWindow::ImportCodesExecute);
    m_exportCodes =
        make("ExportCodes", QStringLiteral("Export codes\u2026"), {},
             programIcon({}, QStringLiteral("codes-export")), &MainWindow::ExportCodesExecute);

    // Del belongs to the grid menu's item, not to the action: it works while the grid has focus.
    m_deleteKey = new QAction(QStringLiteral("Delete"), this);
    m_deleteKey->setObjectName(QStringLiteral("DeleteIRData1"));
    m_deleteKey->setShortcut(QKeySequence(Qt::Key_Delete));
    m_deleteKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_deleteKey, &QAction::triggered, m_delFunctions, &QAction::trigger);
}

void MainWindow::createControls()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setContentsMargins(0, 0, 0, 0);
    for (QAction* action : {m_new, m_open, m_save, m_saveAs, static_cast<QAction*>(nullptr),
                            m_upload, m_download, static_cast<QAction*>(nullptr), m_about}) {
        if (!action) {
            m_toolBar->addSeparator();
            continue;
        }
        // The caption under the icon is the action's own, "..." included.
        action->setIconText(action->text());
        m_toolBar->addAction(action);
        // 55 x 51, wider only where a caption would otherwise be cut.
        QWidget* button = m_toolBar->widgetForAction(action);
        button->setFixedHeight(51);
        button->setMinimumWidth(55);
    }

    // Codes of other IR tools, after the device commands' group.
    m_toolBar->addSeparator();
    for (QAction* action : {m_importCodes, m_exportCodes}) {
        action->setIconText(action->text());
        m_toolBar->addAction(action);
        QWidget* button = m_toolBar->widgetForAction(action);
        button->setFixedHeight(51);
        button->setMinimumWidth(55);
    }

    m_modelPanel = new QWidget(this);
    m_modelPanel->setObjectName(QStringLiteral("Panel1"));
    m_moduleNameLabel = label({}, m_modelPanel, {32, 16});
    m_moduleNameLabel->setObjectName(QStringLiteral("Label3"));
    QFont modelFont = font();
    modelFont.setPixelSize(13);
    m_moduleNameLabel->setFont(modelFont);
    QPalette red = m_moduleNameLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_moduleNameLabel->setPalette(red);
    m_moduleIdLabel = label({}, m_modelPanel, {288, 15});
    m_moduleIdLabel->setObjectName(QStringLiteral("Label5"));
    m_manufactoryLabel = label({}, m_modelPanel, {32, 32});
    m_manufactoryLabel->setObjectName(QStringLiteral("Label2"));
    m_typeLabel = label({}, m_modelPanel, {288, 32});
    m_typeLabel->setObjectName(QStringLiteral("Label1"));

    m_gridPanel = new QWidget(this);
    m_gridPanel->setObjectName(QStringLiteral("Panel2"));
    m_grid = new KeyGrid(m_project->keys(), m_selection, m_gridPanel);
    auto* gridLayout = new QHBoxLayout(m_gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addWidget(m_grid);
    m_anchors->add(m_gridPanel, {0, 72, 545, 409}, AllEdges);
    m_grid->addAction(m_deleteKey);
    connect(m_grid, &KeyGrid::functionEditRequested, this, &MainWindow::EditFuncExecute);
    connect(m_grid, &KeyGrid::remarkEditRequested, this, &MainWindow::RemarkEdit);
    connect(m_grid, &KeyGrid::irDataEditRequested, this, &MainWindow::IRDataEdit);
    connect(m_grid, &KeyGrid::holdToSendRequested, this, &MainWindow::HoldToSend);
    connect(m_grid, &KeyGrid::waveRedrawRequested, this, [this] { RedrawWave(false); });

    m_gridMenu = new QMenu(this);
    m_gridMenu->setObjectName(QStringLiteral("PopupMenu2"));
    m_gridMenu->addAction(m_copy);
    m_gridMenu->addAction(m_paste);
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(m_insertFunctions);
    m_gridMenu->addAction(m_deleteKey);
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(m_render);
    m_rightPressFilter = new RightPressFilter([this](const QPoint& at) { openGridMenu(at); }, this);
    m_rightPressFilter->watch(m_grid);
    m_rightPressFilter->watch(m_grid->viewport());
    m_rightPressFilter->watch(m_grid->verticalHeader()->viewport());

    m_irPortGroup = new QGroupBox(QStringLiteral("IR Port"), this);
    m_irPortGroup->setObjectName(QStringLiteral("GroupBox2"));
    m_anchors->add(m_irPortGroup, {551, 72, 91, 161}, TopRight);

    m_learnGroup = new QGroupBox(QStringLiteral("Learn"), this);
    m_learnGroup->setObjectName(QStringLiteral("GroupBox1"));
    m_anchors->add(m_learnGroup, {655, 72, 91, 161}, TopRight);
    label(QStringLiteral("Time:"), m_learnGroup, {8, 30});
    m_learnTime = new QComboBox(m_learnGroup);
    m_learnTime->setObjectName(QStringLiteral("ComboBox1"));
    m_learnTime->setEditable(true);
    m_learnTime->setInsertPolicy(QComboBox::NoInsert);
    m_learnTime->addItems({QStringLiteral("1s"), QStringLiteral("2s"), QStringLiteral("3s")});
    m_learnTime->setGeometry(40, 24, 41, 20);
    label(QStringLiteral("IR Format:"), m_learnGroup, {8, 56});
    m_normal = new QRadioButton(QStringLiteral("Normal"), m_learnGroup);
    m_normal->setObjectName(QStringLiteral("RadioButton1"));
    m_normal->setGeometry(8, 72, 78, 17);
    m_rc5 = new QRadioButton(QStringLiteral("RC5/RC6"), m_learnGroup);
    m_rc5->setObjectName(QStringLiteral("RadioButton2"));
    m_rc5->setGeometry(8, 88, 78, 17);

    m_learnButton = new QPushButton(m_irLearn->text(), this);
    m_learnButton->setObjectName(QStringLiteral("Button1"));
    m_anchors->add(m_learnButton, {665, 192, 67, 25}, TopRight);
    connect(m_learnButton, &QPushButton::clicked, m_irLearn, &QAction::trigger);
    connect(m_irLearn, &QAction::changed, m_learnButton, [this] {
        m_learnButton->setEnabled(m_irLearn->isEnabled());
        m_learnButton->setText(m_irLearn->text());
    });

    m_deviceChoosers = new BevelPanel(this);
    m_deviceChoosers->setObjectName(QStringLiteral("Panel3"));
    m_anchors->add(m_deviceChoosers, {550, 248, 201, 41}, TopRight);
    label(QStringLiteral("COM:"), m_deviceChoosers, {9, 15});
    m_comPort = new QComboBox(m_deviceChoosers);
    m_comPort->setObjectName(QStringLiteral("ComboBox2"));
    m_comPort->addItems(DeviceLink::portEntries());
    for (int i = 0; i < m_comPort->count(); ++i)
        m_comPort->setItemData(i, m_link->portPath(i), Qt::ToolTipRole);
    m_comPort->setMaxVisibleItems(9);
    m_comPort->setGeometry(40, 13, 65, 20);
    label(QStringLiteral("ID:"), m_deviceChoosers, {135, 15});
    m_deviceIdBox = new QComboBox(m_deviceChoosers);
    m_deviceIdBox->setObjectName(QStringLiteral("ComboBox3"));
    m_deviceIdBox->addItems(deviceIdEntries());
    m_deviceIdBox->setMaxVisibleItems(16);
    m_deviceIdBox->setGeometry(152, 13, 41, 20);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 512);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_anchors->add(m_progress, {552, 297, 201, 20}, RightBottom);

    m_wave = new WaveformView(this);
    m_wave->setKeyTable(&m_project->keys());
    m_anchors->add(m_wave, {0, 486, 756, 121}, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    const WaveControls controls = createWaveControls(*m_wave, this);
    m_anchors->add(controls.zoomIn, {553, 454, 27, 21}, RightBottom);
    m_anchors->add(controls.normalSize, {587, 454, 25, 21}, RightBottom);
    m_anchors->add(controls.zoomOut, {617, 454, 27, 21}, RightBottom);
    m_anchors->add(controls.clearWave, {651, 454, 25, 21}, RightBottom);
    // Where the caption needs more than 73 pixels it grows to the left, not out of the window.
    const int showTimeWidth = std::max(73, controls.showTime->sizeHint().width());
    m_anchors->add(controls.showTime, {std::max(678, 756 - showTimeWidth), 456, showTimeWidth, 17},
                   RightBottom);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(true);
    const int widths[] = {35, 100, 60, 50};
    // No port is open until the port chooser has opened one.
    const char* texts[] = {" COM", msg::NoPort, "MBD File", ""};
    for (std::size_t i = 0; i < 4; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(texts[i]), m_statusBar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        // The last panel takes the rest of the bar, as the path it shows needs room.
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(widths[i]);
        m_statusBar->addWidget(panel, i < 3 ? 0 : 1);
        m_statusPanels[i] = panel;
    }
    m_protocolPanel = new QLabel(m_statusBar);
    m_protocolPanel->setObjectName(QStringLiteral("ProtocolPanel"));
    m_protocolPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_protocolPanel->setContentsMargins(2, 0, 2, 0);
    m_statusBar->addPermanentWidget(m_protocolPanel);
}

void MainWindow::createIrPortGroup()
{
    for (int i = 0; i < 8; ++i) {
        auto* box = new QCheckBox(QStringLiteral("Port%1").arg(i), m_irPortGroup);
        box->setObjectName(QStringLiteral("PortCheckBox%1").arg(i));
        box->setProperty("tag", i);
        box->setGeometry(30, 18 + 17 * i, 52, 17);
        box->setChecked((IrPortMask() >> i) & 1);
        connect(box, &QCheckBox::toggled, this,
                [this, i](bool checked) { ChBoxClick(i, checked); });
        m_portBoxes[std::size_t(i)] = box;

        auto* lamp = new PortLamp(m_irPortGroup);
        lamp->setObjectName(QStringLiteral("PortLamp%1").arg(i));
        lamp->setGeometry(8, 21 + 17 * i, 11, 11);
        m_portLamps[std::size_t(i)] = lamp;
    }
}

void MainWindow::connectProject()
{
    Project& project = *m_project;
    project.keys().setAfterScroll([this] { ADOQuery1AfterScroll(); });
    connect(&project, &Project::redrawWave, this, &MainWindow::RedrawWave);
    connect(&project, &Project::clearWave, this, &MainWindow::ClearWave);
    connect(&project, &Project::loaded, this, &MainWindow::projectLoaded);
    connect(&project, &Project::progressStarted, this, [this](int maximum) {
        m_progress->setRange(0, maximum);
        m_progress->setValue(0);
        m_progress->show();
        m_progress->repaint();
    });
    connect(&project, &Project::progressChanged, this, [this](int value) {
        m_progress->setValue(value);
        m_progress->repaint();
    });
    connect(&project, &Project::progressFinished, m_progress, &QWidget::hide);
    // The window goes on painting while a conversion runs, but takes no input until it ends.
    connect(&project, &Project::busyChanged, this, [this](bool busy) {
        setControlsEnabled(!busy, false);
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void MainWindow::connectDeviceLink()
{
    DeviceLink& link = *m_link;
    connect(&link, &DeviceLink::controlsEnabledChanged, this, &MainWindow::setControlsEnabled);
    connect(&link, &DeviceLink::learnCaptionChanged, m_irLearn, &QAction::setText);
    connect(&link, &DeviceLink::progressShown, this,
            [this](const QString& label) { m_fmProgress->showWith(label); });
    connect(&link, &DeviceLink::progressChanged, this,
            [this](int slot) { m_fmProgress->setPosition(slot); });
    connect(&link, &DeviceLink::progressHidden, this, [this] {
        // The keys come back to the main window, unless the user has gone elsewhere meanwhile.
        const bool wasActive = m_fmProgress->isActiveWindow();
        m_fmProgress->hide();
        if (wasActive)
            activateWindow();
    });
    connect(&link, &DeviceLink::portLampsChanged, this, [this](std::uint8_t redMask) {
        for (int i = 0; i < 8; ++i)
            setPortLamp(i, (redMask >> i) & 1);
    });
    connect(&link, &DeviceLink::portPanelChanged, this, &MainWindow::setPortStatus);
    connect(&link, &DeviceLink::learnedCodeShown, this, [this](bool shiftPrevious) {
        RedrawWave(shiftPrevious);
        m_wave->scrollToStart();
        // The learn run pauses 1200 ms next without handling events: show the stored code
        // and its row now, not after the pause.
        repaint();
    });
}

void MainWindow::FormCreate()
{
    // The waveform picture belongs to the waveform view and is set up there.
    m_link->comm().setBaudRate(CommandRate);
    applySettings();
    createIrPortGroup();
    guarded([this] { m_project->NewExecute(); });
    updateActions();
}

void MainWindow::applySettings()
{
    const Settings settings = readSettingsFile(settingsPath());
    auto index = [](int value, const QComboBox* box) {
        return value >= 0 && value < box->count() ? value : -1;
    };
    m_learnTime->setCurrentIndex(index(settings.learnTime, m_learnTime));
    m_learnTimeIndex = m_learnTime->currentIndex();
    ComboBox1Change();
    m_comPort->setCurrentIndex(index(settings.comPort, m_comPort));
    ComboBox2Change();
    addPortsEntry();
    m_deviceIdBox->setCurrentIndex(index(settings.id, m_deviceIdBox));
    ComboBox3Change();
    if (settings.irFormat == 1) {
        m_normal->setChecked(true);
        RadioButton1Click();
    } else {
        m_rc5->setChecked(true);
        RadioButton2Click();
    }
    m_link->settings().IrPortMask = std::uint8_t(settings.irPort & 0xFF);

    // The handlers follow the user's changes from here on.
    connect(m_learnTime, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_learnTimeIndex = i;
        ComboBox1Change();
    });
    // Typing in the box chooses the entry it names, or none.
    connect(m_learnTime, &QComboBox::editTextChanged, this, [this](const QString& text) {
        m_learnTimeIndex = m_learnTime->findText(text.trimmed(), Qt::MatchFixedString);
        ComboBox1Change();
    });
    connect(m_comPort, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox2Change);
    connect(m_deviceIdBox, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox3Change);
    connect(m_normal, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(m_rc5, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
}

int MainWindow::LearnTime() const
{
    return m_link->settings().LearnTime;
}

int MainWindow::DeviceId() const
{
    return m_link->settings().DeviceId;
}

int MainWindow::IrFormat() const
{
    return m_link->settings().IrFormat;
}

quint8 MainWindow::IrPortMask() const
{
    return m_link->settings().IrPortMask;
}

void MainWindow::ComboBox1Change()
{
    m_link->setLearnTime(m_learnTimeIndex);
}

void MainWindow::ComboBox2Change()
{
    if (m_comPort->currentIndex() <= ComPortCount)
        m_comPortIndex = m_comPort->currentIndex();
    showPortPath();
    m_link->choosePort(m_comPort->currentIndex());
}

void MainWindow::showPortPath()
{
    const int index = m_comPort->currentIndex();
    const PortMap& ports = m_link->comm().ports();
    m_comPort->setToolTip(index >= 0 && index < ComPortCount ? portToolTip(ports, index + 1)
                                                             : QString());
    for (int i = 0; i < ComPortCount; ++i)
        m_comPort->setItemData(i, portToolTip(ports, i + 1), Qt::ToolTipRole);
}

void MainWindow::addPortsEntry()
{
    // Added once the saved settings are applied, so a saved index never lands on it.
    m_comPort->addItem(QStringLiteral("Ports…"));
    m_comPort->setMaxVisibleItems(m_comPort->count());
    connect(m_comPort, &QComboBox::activated, this, [this](int index) {
        if (index == ComPortCount + 1)
            openPortsDialog();
    });
}

void MainWindow::openPortsDialog()
{
    {
        // Back to the port in use: "Ports…" is a command, not a choice.
        const QSignalBlocker blocker(m_comPort);
        m_comPort->setCurrentIndex(m_comPortIndex);
    }
    showPortPath();
    const QString before = m_link->portPath(m_comPortIndex);
    PortsDialog dialog(QDir(m_dataFolder).filePath(QStringLiteral("ports.ini")),
                       m_link->comm().ports(), systemPorts(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_link->comm().setPorts(dialog.portMap());
    showPortPath();
    // The port in use now stands for another device: open that one instead.
    if (m_comPortIndex >= 0 && m_comPortIndex < ComPortCount &&
        m_link->portPath(m_comPortIndex) != before)
        m_link->choosePort(m_comPortIndex);
}

void MainWindow::showPortState()
{
    SerialComm& comm = m_link->comm();
    setPortStatus(comm.portOpen() ? comm.commName() : QLatin1String(msg::NoPort));
}

void MainWindow::ComboBox3Change()
{
    m_link->setDeviceId(m_deviceIdBox->currentIndex());
}

void MainWindow::RadioButton1Click()
{
    m_link->setNormalFormat();
}

void MainWindow::RadioButton2Click()
{
    m_link->setRc5Format();
}

void MainWindow::ChBoxClick(int port, bool checked)
{
    m_link->setIrPortEnabled(port, checked);
}

void MainWindow::setControlsEnabled(bool enabled, bool learnButtonEnabled)
{
    if (!enabled && !m_controlsDisabled)
        m_focusBeforeRun = focusWidget();
    m_controlsDisabled = !enabled;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        child->setEnabled(child == m_learnButton ? enabled || learnButtonEnabled : enabled);
    }
    // The shortcuts would otherwise start New, Open or a row edit in the middle of the run.
    const QList<QAction*> all = actions() << m_deleteKey;
    for (QAction* action : all)
        action->setEnabled(enabled || (learnButtonEnabled && action == m_irLearn));
    if (enabled) {
        updateActions();
        m_learnButton->setEnabled(m_irLearn->isEnabled());
        if (m_focusBeforeRun && m_focusBeforeRun->isEnabled())
            m_focusBeforeRun->setFocus();
        m_focusBeforeRun.clear();
    }
}

bool MainWindow::deviceBusy() const
{
    return m_link->transferRunning() || m_link->learning() || m_link->holdSending();
}

void MainWindow::setPortLamp(int port, bool sending)
{
    if (port >= 0 && port < 8)
        m_portLamps[std::size_t(port)]->setSending(sending);
}

void MainWindow::setPortStatus(const QString& text)
{
    m_statusPanels[1]->setText(text);
}

void MainWindow::projectLoaded()
{
    const ModelFields& model = m_project->modelFields();
    // The colon is the full-width one of the Chinese code page.
    const QString colon = QStringLiteral("\uFF1A");
    m_typeLabel->setText(QStringLiteral("Type") + colon + model.type);
    m_manufactoryLabel->setText(QStringLiteral("Manufactory") + colon + model.manufactory);
    m_moduleNameLabel->setText(QStringLiteral("Module Name") + colon + model.moduleName);
    m_moduleIdLabel->setText(QStringLiteral("Module ID") + colon + model.moduleId);
    for (QLabel* l : {m_typeLabel, m_manufactoryLabel, m_moduleNameLabel, m_moduleIdLabel})
        l->adjustSize();
    m_grid->setColumnWidths();
    m_statusPanels[3]->setText(QDir::toNativeSeparators(m_project->currentFile()));
    m_wave->scrollToStart();
    updateActions();
}

void MainWindow::guarded(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
    }
}

bool MainWindow::leftButtonDown() const
{
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton) || m_grid->leftButtonHeld();
}

void MainWindow::ADOQuery1AfterScroll()
{
    if (!leftButtonDown())
        m_selection.clear();
    RedrawWave(true);
}

void MainWindow::RedrawWave(bool shiftPrevious)
{
    m_wave->RedrawWave(shiftPrevious);
    // Every change of the current row or of its record redraws: the protocol follows it.
    const KeyTable& keys = m_project->keys();
    const std::string summary = keys.isOpen() && keys.recordCount() > 0
                                    ? recordSummary(recordOf(keys.current()), "   ")
                                    : std::string();
    m_protocolPanel->setText(QString::fromStdString(summary));
    m_protocolPanel->setVisible(!summary.empty());
}

void MainWindow::ClearWave()
{
    m_wave->ClearWave();
}

bool MainWindow::SaveAsUpdate() const
{
    return m_project->projectLoaded();
}

bool MainWindow::UploadUpdate() const
{
    return m_project->projectLoaded();
}

bool MainWindow::DownloadUpdate() const
{
    return m_project->projectLoaded();
}

bool MainWindow::IRLearnUpdate() const
{
    return m_project->projectLoaded();
}

bool MainWindow::PasteUpdate() const
{
    return m_rowOperations->PasteUpdate();
}

bool MainWindow::EditFuncUpdate() const
{
    return m_project->projectLoaded();
}

void MainWindow::updateActions()
{
    // After a New that failed there is no table: nothing to save or to edit.
    const bool loaded = m_project->projectLoaded();
    for (QAction* action :
         {m_save, m_copy, m_selectAll, m_insertFunctions, m_delFunctions, m_deleteKey, m_goto})
        action->setEnabled(loaded);
    m_saveAs->setEnabled(SaveAsUpdate());
    m_upload->setEnabled(UploadUpdate());
    m_download->setEnabled(DownloadUpdate());
    m_irLearn->setEnabled(IRLearnUpdate());
    m_paste->setEnabled(loaded && PasteUpdate());
    m_editFunc->setEnabled(EditFuncUpdate());
    m_render->setEnabled(EditFuncUpdate());
    m_importCodes->setEnabled(m_project->projectLoaded());
    m_exportCodes->setEnabled(m_project->projectLoaded());
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
    if (!SaveAsUpdate())
        return;
    guarded([this] { m_project->compile(); });
}

void MainWindow::UploadExecute()
{
    if (!UploadUpdate())
        return;
    guarded([this] { m_link->UploadExecute(); });
    showPortState();
    updateActions();
}

void MainWindow::DownloadExecute()
{
    if (!DownloadUpdate())
        return;
    guarded([this] { m_link->DownloadExecute(); });
    showPortState();
    updateActions();
}

void MainWindow::IRLearnExecute()
{
    // A click while learning is the "Stop": the running run ends by itself.
    if (!m_link->learning()) {
        if (!IRLearnUpdate())
            return;
        if (m_selection.count() == 0 && m_project->keys().recordCount() > 0)
            m_selection.selectRow(m_project->keys().currentIndex());
    }
    guarded([this] { m_link->IRLearnExecute(m_selection.rows()); });
    showPortState();
}

void MainWindow::HoldToSend()
{
    guarded([this] { m_link->holdToSend([this] { return leftButtonDown(); }); });
    showPortState();
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
    KeyTable& keys = m_project->keys();
    if (!keys.isOpen() || keys.recordCount() == 0)
        return;
    RenderDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::optional<CodeRecord> record = dialog.record();
    if (!record)
        return;
    guarded([&] {
        KeyRow row = keys.current();
        // The slot keeps its name; the post sets Format, Carry and Function from the record.
        writeName(*record, nameText(recordOf(row)));
        row.irData = bytesOf(*record);
        keys.post(row);
        m_project->setModified(true);
    });
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
    if (!PasteUpdate())
        return;
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
    if (m_fmGoTo->exec() != ConfirmResult)
        return;
    KeyTable& keys = m_project->keys();
    const QString text = m_fmGoTo->text();
    guarded([&] {
        if (m_fmGoTo->byId())
            gotoById(keys, text, m_prompter);
        else
            gotoByFunction(keys, text, m_prompter);
    });
}

void MainWindow::EditFuncExecute()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() == 0)
        return;
    m_fmFuncEdit->setText(textOf(keys.current().function));
    m_fmFuncEdit->Edit1()->selectAll();
    if (m_fmFuncEdit->exec() != ConfirmResult)
        return;
    guarded([&] { editFunctionName(keys, m_fmFuncEdit->text()); });
}

void MainWindow::RemarkEdit()
{
    KeyTable& keys = m_project->keys();
    if (keys.recordCount() == 0)
        return;
    m_fmRemark->setText(textOf(keys.current().remark));
    m_fmRemark->Edit1()->selectAll();
    if (m_fmRemark->exec() != ConfirmResult)
        return;
    guarded([&] { editRemark(keys, m_fmRemark->text()); });
}

void MainWindow::openGridMenu(const QPoint& globalPos)
{
    if (!m_grid->isEnabled())
        return;
    updateActions();
    m_gridMenu->popup(globalPos);
}

bool MainWindow::FormCloseQuery()
{
    bool mayClose = false;
    guarded([&] { mayClose = m_project->askToSaveChanges(); });
    return mayClose;
}

void MainWindow::writeSettings()
{
    Settings settings;
    settings.comPort = m_comPort->currentIndex();
    settings.id = m_deviceIdBox->currentIndex();
    settings.learnTime = m_learnTimeIndex;
    settings.irPort = IrPortMask();
    settings.irFormat = IrFormat();
    guarded([&] { writeSettingsFile(settingsPath(), settings); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A transfer or a learn run is ended by its own Cancel or Stop, not by closing under it;
    // a conversion ends by itself.
    if (deviceBusy() || m_project->busy() || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    // A settings file that cannot be written is reported, and the window closes all the same.
    writeSettings();
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    m_toolBar->setGeometry(0, 0, w, ToolBarHeight);
    m_modelPanel->setGeometry(0, ToolBarHeight, w, Panel1Height);
    m_statusBar->setGeometry(0, h - StatusBarHeight, w, StatusBarHeight);
    m_anchors->apply(size());
}

void MainWindow::ImportCodesExecute()
{
    guarded([this] {
        const int row = m_project->keys().recNo() - 1;
        if (importCodesFromFile(*m_project, m_prompter, row))
            RedrawWave(false);
    });
    updateActions();
}

void MainWindow::ExportCodesExecute()
{
    guarded([this] { exportCodesToFile(*m_project, m_prompter, m_selection.rows()); });
}

} // namespace qlv
