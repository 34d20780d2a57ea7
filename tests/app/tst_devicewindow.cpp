// The main window's side of the device commands, against a scripted K-817T on a
// pseudo-terminal that COM1 is mapped to: the progress window and its Cancel, the controls
// disabled during a transfer or a learn run, the "Stop" caption, the lamps while a wave button
// is held.
#include <app/controls.h>
#include <app/fm_progress.h>
#include <app/mainwindow.h>
#include <device/devicelink.h>
#include <device/frames.h>
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

const QByteArray Ack("\x06", 1);

// What the window shows at one moment of a device command.
struct WindowState {
    QStringList enabledControls; // the controls directly on the window
    QStringList enabledActions;
    QString learnButton;
    bool progressVisible = false;
    QString progressTitle;
    QString progressLabel;
    int progressMinimum = -1;
    int progressMaximum = -1;
    int progressValue = -1;
    bool bProgress = false;
    int redLamps = 0; // bit i: lamp i red
};

// Runs fn on the window's thread while the program waits on the line, and waits for it.
void onMainAndWait(PeerLine& line, std::function<void()> fn)
{
    std::promise<void> done;
    line.onMain([&] {
        fn();
        done.set_value();
    });
    done.get_future().wait_for(std::chrono::seconds(10));
}

QByteArray learnedCode()
{
    QByteArray code(int(BlockSize), '\x10');
    code[0] = char(CodeMarker);
    code[1] = 48; // carrier period
    return code;
}

} // namespace

class TestDeviceWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    KeyTable& keys() { return m_window->project().keys(); }
    DeviceLink& link() { return m_window->deviceLink(); }
    TfmProgress& progress() { return m_window->fmProgress(); }
    QPushButton* button1() { return m_window->findChild<QPushButton*>("Button1"); }

    WindowState state()
    {
        WindowState s;
        for (QWidget* child : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child->isEnabled())
                s.enabledControls << child->objectName();
        for (QAction* action : m_window->actions())
            if (action->isEnabled())
                s.enabledActions << action->objectName();
        s.learnButton = button1()->text();
        s.progressVisible = progress().isVisible();
        s.progressTitle = progress().windowTitle();
        s.progressLabel = progress().findChild<QLabel*>("Label1")->text();
        const auto* bar = progress().findChild<QProgressBar*>("ProgressBar1");
        s.progressMinimum = bar->minimum();
        s.progressMaximum = bar->maximum();
        s.progressValue = bar->value();
        s.bProgress = link().bProgress();
        for (int i = 0; i < 8; ++i)
            if (m_window->findChild<PortLamp*>(QStringLiteral("PortLamp%1").arg(i))->sending())
                s.redLamps |= 1 << i;
        return s;
    }

    // The actions enabled before an edit, and Undo after it when it changed rows.
    QStringList withUndo(QStringList actions, bool changed)
    {
        if (changed)
            actions.insert(actions.indexOf(QStringLiteral("ExportCodes")) + 1,
                           QStringLiteral("Undo"));
        return actions;
    }

    QPoint gridPoint(int clientX, int id)
    {
        KeyGrid& grid = m_window->grid();
        const QRect cell = grid.visualRect(grid.model()->index(id - 1, 0));
        return QPoint(clientX - KeyGrid::IndicatorWidth, cell.center().y());
    }

private slots:
    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_rig = std::make_unique<WindowRig>();
        QVERIFY(m_rig->line.isValid());
        QVERIFY(m_rig->open(*m_prompter));
        m_window = m_rig->window.get();
        QVERIFY(link().comm().portOpen());
    }

    void cleanup()
    {
        m_window = nullptr;
        m_rig.reset();
        m_prompter.reset();
    }

    void progressWindowAtRest()
    {
        QVERIFY(!progress().isVisible());
        QCOMPARE(progress().windowTitle(), QStringLiteral("QLV"));
        QVERIFY(progress().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(progress().findChild<QPushButton*>("Cancel")->text(), QStringLiteral("Cancel"));
        // Created once with the window: the same one serves every transfer.
        QCOMPARE(m_window->findChildren<TfmProgress*>().size(), 1);
    }

    void transferCancelled_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("ending");
        QTest::newRow("download, Cancel") << false << false << "Downloading..."
                                          << "Download terminated!";
        QTest::newRow("download, close box") << false << true << "Downloading..."
                                             << "Download terminated!";
        QTest::newRow("upload, Cancel") << true << false << "Uploading..."
                                        << "Upload terminated!";
    }
    void transferCancelled()
    {
        QFETCH(bool, upload);
        QFETCH(bool, closeBox);
        QFETCH(QString, label);
        QFETCH(QString, ending);
        constexpr int CancelAt = 3;
        const WindowState before = state();
        const KeyRow firstBefore = keys().row(0);
        QVERIFY(before.enabledControls.contains(QStringLiteral("ToolBar1")));
        QVERIFY(before.enabledControls.contains(QStringLiteral("Panel2")));

        WindowState during;
        WindowState afterCancel;
        bool closedUnderTransfer = true;
        QByteArray control;
        auto cancel = [&] {
            during = state();
            closedUnderTransfer = m_window->close();
            if (closeBox)
                progress().close();
            else
                QTest::mouseClick(progress().findChild<QPushButton*>("Cancel"), Qt::LeftButton);
            afterCancel = state();
        };
        m_rig->line.start([&](PeerLine& line) {
            line.readFrame();
            if (!line.waitForRate(TransferRate))
                return line.note(QStringLiteral("no switch to 115200 bit/s"));
            if (upload)
                line.write(Ack);
            for (int slot = 0; slot <= CancelAt; ++slot) {
                if (slot == CancelAt)
                    onMainAndWait(line, cancel);
                if (upload) {
                    line.write(QByteArray(int(RecordSize), '\xFF'));
                } else {
                    for (int half = 0; half < 2; ++half) {
                        if (line.read(256).size() != 256)
                            return line.note(QStringLiteral("slot %1 came short").arg(slot));
                        line.write(Ack);
                    }
                }
                control = line.read(1);
                if (control != "U")
                    return;
            }
        });
        m_prompter->answer(Answer::Yes);
        m_window->findChild<QAction*>(upload ? "Upload" : "Download")->trigger();
        QVERIFY(m_rig->line.finish());
        QCOMPARE(m_rig->line.notes(), QStringList());

        // While the slots go: the progress window over a window that takes no input.
        QVERIFY(during.progressVisible);
        QCOMPARE(during.progressTitle, QStringLiteral("QLV"));
        QCOMPARE(during.progressLabel, label);
        QCOMPARE(during.progressMinimum, 0);
        QCOMPARE(during.progressMaximum, 512);
        QCOMPARE(during.progressValue, CancelAt - 1);
        QVERIFY(during.bProgress);
        QCOMPARE(during.enabledControls, QStringList());
        QCOMPARE(during.enabledActions, QStringList());
        // Closing the window is refused while the slots go: Cancel ends a transfer.
        QVERIFY(!closedUnderTransfer);
        // Cancel closes the window and clears the flag; the slot on its way is finished.
        QVERIFY(!afterCancel.bProgress);
        QVERIFY(!afterCancel.progressVisible);
        QCOMPARE(control, QByteArray("C"));
        QCOMPARE(m_prompter->notices(), QStringList{ending});

        const WindowState after = state();
        QVERIFY(!after.progressVisible);
        QCOMPARE(after.progressValue, CancelAt);
        QCOMPARE(after.enabledControls, before.enabledControls);
        QCOMPARE(after.enabledActions, withUndo(before.enabledActions, upload));
        QCOMPARE(m_rig->line.lineMode(), QStringLiteral("9600 8N1"));
        // The keys work on the grid again, as before the transfer.
        QCOMPARE(m_window->focusWidget(), &m_window->grid());
        if (upload) {
            // The slots replaced before the Cancel are one step.
            QVERIFY(m_window->project().modified());
            QAction* undo = m_window->findChild<QAction*>("Undo");
            QCOMPARE(undo->text(), QStringLiteral("Undo Upload"));
            undo->trigger();
            QVERIFY(!m_window->project().modified());
            QVERIFY(keys().row(0) == firstBefore);
        }
    }

    void portPanelSaysNoPortOnceTheLineIsGone()
    {
        auto* panel = m_window->findChild<QLabel*>("StatusBar1Panel1");
        QCOMPARE(panel->text(), QStringLiteral("COM1"));
        m_rig->line.start([](PeerLine& line) {
            line.readFrame();
            if (!line.waitForRate(TransferRate))
                return line.note(QStringLiteral("no switch to 115200 bit/s"));
            line.read(256);
            line.hangUp();
        });
        m_prompter->answer(Answer::Yes);
        m_window->findChild<QAction*>("Download")->trigger();
        QVERIFY(m_rig->line.finish());
        QCOMPARE(m_rig->line.notes(), QStringList());
        // The return to 9600 bit/s found no device: no port is open, and the panel says so.
        QCOMPARE(m_prompter->notices(),
                 (QStringList{QStringLiteral("No found IR device.Download failed!"),
                              QStringLiteral("Error opening serial port!")}));
        QVERIFY(!link().comm().portOpen());
        QCOMPARE(panel->text(), QStringLiteral("No port"));
    }

    void learnRun_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("code arrives") << false;
        QTest::newRow("Stop clicked") << true;
    }
    void learnRun()
    {
        QFETCH(bool, stop);
        const WindowState before = state();
        QCOMPARE(before.learnButton, QStringLiteral("IR Learn"));
        keys().setRecNo(5);
        m_window->selection().clear();

        WindowState waiting;
        std::vector<int> selected;
        QByteArray esc;
        m_rig->line.start([&](PeerLine& line) {
            if (line.readFrame().size() != 13)
                return line.note(QStringLiteral("no LEARN"));
            line.write(Ack);
            line.sleep(100);
            onMainAndWait(line, [&] {
                waiting = state();
                selected = m_window->selection().rows();
                if (stop)
                    QTest::mouseClick(button1(), Qt::LeftButton);
            });
            if (!stop)
                line.write(learnedCode());
            esc = line.readFrame();
        });
        QTest::mouseClick(button1(), Qt::LeftButton);
        QVERIFY(m_rig->line.finish());
        QCOMPARE(m_rig->line.notes(), QStringList());

        // Waiting for the code: only the learn button, now "Stop", takes a click.
        QCOMPARE(waiting.learnButton, QStringLiteral("Stop"));
        QCOMPARE(waiting.enabledControls, QStringList{QStringLiteral("Button1")});
        QCOMPARE(waiting.enabledActions, QStringList{QStringLiteral("IRLearn")});
        QCOMPARE(selected, std::vector<int>{4});
        QCOMPARE(esc, bytes(escFrame()));

        const WindowState after = state();
        QCOMPARE(after.learnButton, QStringLiteral("IR Learn"));
        QCOMPARE(after.enabledControls, before.enabledControls);
        QCOMPARE(after.enabledActions, withUndo(before.enabledActions, !stop));
        QCOMPARE(hasCode(recordOf(keys().row(4)), Code::A), !stop);
        if (!stop) {
            QAction* undo = m_window->findChild<QAction*>("Undo");
            QCOMPARE(undo->text(), QStringLiteral("Undo Learn slot 5"));
            undo->trigger();
            QVERIFY(!hasCode(recordOf(keys().row(4)), Code::A));
            QVERIFY(!m_window->project().modified());
        }
        QCOMPARE(m_prompter->notices(), QStringList());
    }

    void lampsWhileHeld()
    {
        // Ports 0 and 5 only.
        for (int port : {1, 2, 3, 4, 6, 7})
            m_window->findChild<QCheckBox*>(QStringLiteral("PortCheckBox%1").arg(port))->click();
        QCOMPARE(m_window->IrPortMask(), quint8(0x21));
        keys().setRecNo(3);
        KeyRow row = keys().current();
        row.irData = toBytes(oneCodeRecord(48, "Power"));
        keys().post(row);
        const QPoint waveButton = gridPoint(20, 3);

        WindowState held;
        QByteArray frame;
        m_rig->line.start([&](PeerLine& line) {
            frame = line.readFrame();
            line.write("A");
            if (line.read(int(BlockSize)).size() != int(BlockSize))
                return line.note(QStringLiteral("no code body"));
            onMainAndWait(line, [&] {
                held = state();
                QTest::mouseRelease(m_window->grid().viewport(), Qt::LeftButton, {}, waveButton);
            });
            if (line.readFrame().size() != 10)
                return line.note(QStringLiteral("no stop frame"));
            line.write(QByteArray("\x06\x00\x00\x00", 4));
        });
        QTest::mousePress(m_window->grid().viewport(), Qt::LeftButton, {}, waveButton);
        QVERIFY(m_rig->line.finish());
        QCOMPARE(m_rig->line.notes(), QStringList());

        QCOMPARE(frame, bytes(sendFrame(0, 0x21)));
        QCOMPARE(held.redLamps, 0x21);
        QCOMPARE(state().redLamps, 0);
        QVERIFY(!link().holdSending());
        QCOMPARE(m_prompter->notices(), QStringList());
    }
};

QTEST_MAIN(TestDeviceWindow)
#include "tst_devicewindow.moc"
