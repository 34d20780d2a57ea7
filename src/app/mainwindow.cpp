#include "mainwindow.h"

#include "devicechecks.h"

#include "controls.h"
#include "devicepanel.h"
#include "filedrop.h"
#include "fm_progress.h"
#include "recentprojects.h"
#include "settings.h"
#include "slotdialogs.h"
#include "statusmessages.h"

#include <core/storeerror.h>
#include <device/devicelink.h>
#include <device/frames.h>
#include <platform/systemports.h>
#include <widgets/fm_funcedit.h>
#include <widgets/fm_goto.h>
#include <widgets/fm_remark.h>
#include <widgets/fonts.h>
#include <widgets/keygrid.h>
#include <widgets/waveform/waveformview.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace qlv {

namespace {

// The smallest outer size is 575 x 596; the client area is that less a usual window frame.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 27;
constexpr int MinimumOuterWidth = 575;
constexpr int MinimumOuterHeight = 596;

} // namespace

MainWindow::MainWindow(Prompter& prompter, const QString& dataFolder, QWidget* parent)
    : MainWindow(prompter, DataFolders{dataFolder, dataFolder}, parent)
{
}

MainWindow::MainWindow(Prompter& prompter, const DataFolders& folders, QWidget* parent)
    : MainWindow(prompter, folders, PortOpening::Now, parent)
{
}

MainWindow::MainWindow(Prompter& prompter, const DataFolders& folders, PortOpening portOpening,
                       QWidget* parent)
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
    const QString portsFile = QDir(folders.config).filePath(QStringLiteral("ports.ini"));
    m_link = std::make_unique<DeviceLink>(prompter, *m_project, makeSerialStream(),
                                          loadPortMap(portsFile));
    m_rowOperations =
        std::make_unique<RowOperations>(*m_project, m_selection, m_copyBuffer, prompter);

    m_history = std::make_unique<EditHistory>(*m_project, m_selection);
    m_ui.createActions(*this);
    m_ui.createUndoActions(*this, m_history->stack());
    m_ui.createControls(*this, *m_anchors, m_project->keys(), m_selection);
    m_devicePanel = new DevicePanel(*m_link, m_ui, portsFile, *this);
    addDeviceChecks();
    addFileEntries();
    connectProject();
    connectDeviceLink();
    showWhatHappened(*m_ui.statusBar, *m_link, *m_project);
    // FormCreate: the saved device settings, then a new project.
    m_link->comm().setBaudRate(CommandRate);
    {
        const Settings settings = readSettingsFile(settingsPath());
        m_devicePanel->apply(settings, portOpening == PortOpening::Now);
        m_checks->verifyBox()->setChecked(settings.verify);
        m_checks->learnTwiceBox()->setChecked(settings.learnTwice);
    }
    guarded([this] { m_project->NewExecute(); });
    updateActions();
    // The dialogs are built on first use (fmFuncEdit() and the others), each once a run.

    // The keys work on the grid from the start.
    m_ui.grid->setFocus();
    resize(ClientWidth, ClientHeight);
    setMinimumSize(MinimumOuterWidth - FrameWidth, MinimumOuterHeight - FrameHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));
}

MainWindow::~MainWindow()
{
    // The grid and the handlers read the table and the selection: they go before those do.
    m_project->keys().setAfterScroll({});
    delete m_ui.gridPanel;
    m_history.reset();
}

void MainWindow::addDeviceChecks()
{
    // Beside Download: its Verify box, then Compare with device.
    m_checks = new DeviceChecks(*m_link, *m_project, m_prompter, this);
    m_checks->setEditRecorder(m_history->recorder());
    connect(m_checks->compareAction(), &QAction::triggered, this, [this] {
        if (deviceBusy() || !m_project->projectLoaded())
            return;
        deviceCommand([this] { m_checks->compareWithDevice(); });
        updateActions();
    });
    const QList<QAction*> tools = m_ui.toolBar->actions();
    QAction* afterDownload = tools.value(tools.indexOf(m_ui.download) + 1);
    m_ui.toolBar->insertWidget(afterDownload, m_checks->verifyBox());
    // The toolbar's short caption; the action keeps its full name for menus and tooltips.
    m_checks->compareAction()->setIconText(QStringLiteral("Compare"));
    m_ui.toolBar->insertAction(afterDownload, m_checks->compareAction());
    m_ui.toolBar->widgetForAction(m_checks->compareAction())->setFixedHeight(51);
    m_anchors->add(m_checks->learnTwiceBox(), {552, 322, 201, 17}, Qt::TopEdge | Qt::RightEdge);
    m_ui.needProject.push_back(m_checks->compareAction());
}

void MainWindow::openSavedPort()
{
    m_devicePanel->ComboBox2Change();
}

void MainWindow::addFileEntries()
{
    m_recent = new RecentProjects(settingsPath(), m_prompter, *this);
    m_recent->attachTo(qobject_cast<QToolButton*>(m_ui.toolBar->widgetForAction(m_ui.open)));
    connect(m_recent, &RecentProjects::openRequested, this, &MainWindow::openFile);
    // A project counts once it is open under its own name, not as New's or an image's
    // working copy.
    connect(m_project.get(), &Project::loaded, this, [this] {
        const QString& file = m_project->currentFile();
        if (file != QFileInfo(m_project->workingCopyPath()).absoluteFilePath())
            m_recent->add(file);
    });
    new FileDrop(*this, *m_ui.grid, m_prompter,
                 [this] { return deviceBusy() || m_project->busy(); });
}

QString MainWindow::settingsPath() const
{
    return QDir(m_dataFolder).filePath(QString::fromLatin1(SettingsFileName));
}

void MainWindow::connectProject()
{
    Project& project = *m_project;
    project.keys().setAfterScroll([this] { ADOQuery1AfterScroll(); });
    connect(&project, &Project::redrawWave, this, &MainWindow::RedrawWave);
    connect(&project, &Project::clearWave, this, &MainWindow::ClearWave);
    connect(&project, &Project::loaded, this, &MainWindow::projectLoaded);
    m_ui.followProgress(project);
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
    connect(&link, &DeviceLink::learnCaptionChanged, m_ui.irLearn, &QAction::setText);
    connect(&link, &DeviceLink::progressShown, this,
            [this](const QString& label) { fmProgress().showWith(label); });
    connect(&link, &DeviceLink::progressChanged, this,
            [this](int slot) { fmProgress().setPosition(slot); });
    connect(&link, &DeviceLink::progressHidden, this, [this] {
        // The keys come back to the main window, unless the user has gone elsewhere meanwhile.
        const bool wasActive = fmProgress().isActiveWindow();
        fmProgress().hide();
        if (wasActive)
            activateWindow();
    });
    connect(&link, &DeviceLink::learnedCodeShown, this, [this](bool shiftPrevious) {
        RedrawWave(shiftPrevious);
        m_ui.wave->scrollToStart();
        // The learn run pauses 1200 ms next without handling events: show the stored code
        // and its row now, not after the pause.
        repaint();
    });
}

void MainWindow::setControlsEnabled(bool enabled, bool learnButtonEnabled)
{
    if (!enabled && !m_controlsDisabled)
        m_focusBeforeRun = focusWidget();
    m_controlsDisabled = !enabled;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        child->setEnabled(child == m_ui.learnButton ? enabled || learnButtonEnabled : enabled);
    }
    // The shortcuts would otherwise start New, Open or a row edit in the middle of the run.
    const QList<QAction*> all = actions() << m_ui.deleteKey;
    for (QAction* action : all)
        action->setEnabled(enabled || (learnButtonEnabled && action == m_ui.irLearn));
    if (enabled) {
        updateActions();
        m_ui.learnButton->setEnabled(m_ui.irLearn->isEnabled());
        if (m_focusBeforeRun && m_focusBeforeRun->isEnabled())
            m_focusBeforeRun->setFocus();
        m_focusBeforeRun.clear();
    }
}

bool MainWindow::deviceBusy() const
{
    return m_link->transferRunning() || m_link->learning() || m_link->holdSending();
}

void MainWindow::projectLoaded()
{
    m_ui.showModel(m_project->modelFields());
    m_ui.grid->setColumnWidths();
    m_ui.statusPanels[3]->setText(QDir::toNativeSeparators(m_project->currentFile()));
    m_ui.wave->scrollToStart();
    updateActions();
}

void MainWindow::guarded(const std::function<void()>& operation)
{
    runGuarded(m_prompter, operation);
}

bool MainWindow::leftButtonDown() const
{
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton) || m_ui.grid->leftButtonHeld();
}

void MainWindow::ADOQuery1AfterScroll()
{
    if (!leftButtonDown())
        m_selection.clear();
    RedrawWave(true);
}

void MainWindow::RedrawWave(bool shiftPrevious)
{
    m_ui.wave->RedrawWave(shiftPrevious);
    // Every change of the current row or of its record redraws: the protocol follows it.
    m_ui.showProtocol(m_project->keys());
}

void MainWindow::ClearWave()
{
    m_ui.wave->ClearWave();
}

bool MainWindow::FormCloseQuery()
{
    bool mayClose = false;
    guarded([&] { mayClose = m_project->askToSaveChanges(); });
    return mayClose;
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
    guarded([this] {
        Settings settings = m_devicePanel->settings();
        settings.verify = m_checks->verifyBox()->isChecked();
        settings.learnTwice = m_checks->learnTwiceBox()->isChecked();
        settings.recentFiles = m_recent->files();
        writeSettingsFile(settingsPath(), settings);
    });
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_ui.placeBars(size());
    m_anchors->apply(size());
}

TfmFuncEdit& MainWindow::fmFuncEdit()
{
    if (!m_fmFuncEdit)
        m_fmFuncEdit = new TfmFuncEdit(this);
    return *m_fmFuncEdit;
}

TfmRemark& MainWindow::fmRemark()
{
    if (!m_fmRemark)
        m_fmRemark = new TfmRemark(this);
    return *m_fmRemark;
}

TfmGoTo& MainWindow::fmGoTo()
{
    if (!m_fmGoTo)
        m_fmGoTo = new TfmGoTo(this);
    return *m_fmGoTo;
}

TfmProgress& MainWindow::fmProgress()
{
    if (!m_fmProgress) {
        m_fmProgress = new TfmProgress(this);
        connect(m_fmProgress, &TfmProgress::closed, m_link.get(), &DeviceLink::cancelTransfer);
    }
    return *m_fmProgress;
}

} // namespace qlv
