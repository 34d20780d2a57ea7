// What the window says it did, in its status bar, against k817t-sim on a pseudo-terminal that
// COM1 is mapped to: a learn run's instruction and result, Save, Compile, an upload's count,
// a wave button held on an empty slot; the progress window's slot count and time left.
#include <app/fm_progress.h>
#include <app/mainwindow.h>
#include <device/devicelink.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

} // namespace

class TestStatusTexts : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatorWindowRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    MainWindow* m_window = nullptr;
    QStringList m_messages; // every message the status bar showed, in order

    KeyTable& keys() { return m_window->project().keys(); }
    DeviceLink& link() { return m_window->deviceLink(); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(name); }
    QStatusBar* bar() { return m_window->findChild<QStatusBar*>("StatusBar1"); }
    QLabel* panel(int i)
    {
        return m_window->findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(i));
    }

    // The window anew over the same folder and simulator.
    void reopenWindow()
    {
        QVERIFY(m_rig->open());
        m_window = m_rig->window.get();
        m_prompter = m_rig->prompter.get();
    }

    void openWindow(const QStringList& simOptions)
    {
        QVERIFY(m_rig->start(QStringLiteral(K817TSIM_PATH), simOptions));
        reopenWindow();
        QVERIFY(link().comm().portOpen());
        connect(bar(), &QStatusBar::messageChanged, this,
                [this](const QString& text) { m_messages << text; });
    }

    // The file and port panels give way to a message only while it is shown; the status bar's
    // timer ends it as clearMessage() does.
    void panelsComeBack(const QString& fileShown)
    {
        QVERIFY(!panel(1)->isVisible());
        QVERIFY(!panel(3)->isVisible());
        bar()->clearMessage();
        QVERIFY(panel(1)->isVisible());
        QVERIFY(panel(3)->isVisible());
        QCOMPARE(panel(3)->text(), fileShown);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<SimulatorWindowRig>();
        QVERIFY(m_rig->dir.isValid());
        m_messages.clear();
    }

    void cleanup()
    {
        m_window = nullptr;
        m_prompter = nullptr;
        m_rig.reset();
    }

    // The instruction stays while the device waits for the key, then what arrived takes its
    // place; learning twice, the captures' agreement says it instead.
    void learn_data()
    {
        QTest::addColumn<bool>("twice");
        QTest::addColumn<QStringList>("messages");
        const QString press =
            QStringLiteral("Slot 12 (POWER): point the remote at the K-817T and press the key");
        QTest::newRow("once") << false
                              << QStringList{press, "Slot 12 learned: NEC1 D=4 S=251 F=16"};
        QTest::newRow("twice") << true
                               << QStringList{press, press + " again",
                                              "Slot 12: two identical captures (NEC1 D=4 S=251 "
                                              "F=16)"};
    }
    void learn()
    {
        QFETCH(bool, twice);
        QFETCH(QStringList, messages);
        openWindow({"--presses", "2", "--learn-delay", "50"});
        m_window->findChild<QCheckBox*>("LearnTwiceCheckBox")->setChecked(twice);
        keys().setRecNo(12);
        // As the name edit does it: the record's name field and the column together.
        KeyRow row = keys().current();
        CodeRecord record = recordOf(row);
        writeName(record, "POWER");
        row.irData = bytesOf(record);
        row.function = QStringLiteral("POWER");
        keys().post(row);
        QStringList shownWhileWaiting;
        bool readableWhileDisabled = true;
        connect(&link(), &DeviceLink::keyAwaited, this, [&] {
            QTimer::singleShot(0, this, [&] {
                shownWhileWaiting << bar()->currentMessage();
                // The run disables the bar with the window's controls; its words stay black.
                const QPalette palette = bar()->palette();
                readableWhileDisabled = readableWhileDisabled && !bar()->isEnabled() &&
                                        palette.color(QPalette::Disabled, QPalette::WindowText) ==
                                            palette.color(QPalette::Active, QPalette::WindowText);
            });
        });
        action("IRLearn")->trigger();
        QCOMPARE(m_prompter->notices(), QStringList());
        QCOMPARE(m_messages, messages);
        QCOMPARE(shownWhileWaiting, messages.mid(0, messages.size() - 1));
        QVERIFY(readableWhileDisabled);
        QCOMPARE(bar()->currentMessage(), messages.back());
        panelsComeBack(QDir::toNativeSeparators(m_window->project().currentFile()));
    }

    // Stopped while waiting: the instruction goes with the run.
    void learnStopped()
    {
        openWindow({"--learn-delay", "60000"});
        keys().setRecNo(3);
        connect(&link(), &DeviceLink::keyAwaited, this,
                [&] { QTimer::singleShot(50, this, [&] { action("IRLearn")->trigger(); }); });
        action("IRLearn")->trigger();
        QCOMPARE(m_messages,
                 (QStringList{"Slot 3: point the remote at the K-817T and press the key", ""}));
        QVERIFY(panel(1)->isVisible());
        QVERIFY(!hasCode(recordOf(keys().row(2)), Code::A));
    }

    void save()
    {
        openWindow({});
        const QString path = m_rig->path(QStringLiteral("remote.qlv"));
        m_prompter->chooseFile(path);
        action("Save")->trigger();
        QCOMPARE(m_prompter->notices(), QStringList());
        const QString native = QDir::toNativeSeparators(path);
        QCOMPARE(bar()->currentMessage(), QStringLiteral("Saved ") + native);
        panelsComeBack(native);
        // In place, without a dialog's name: the same words.
        m_prompter->chooseFile(path);
        action("Save")->trigger();
        QCOMPARE(bar()->currentMessage(), QStringLiteral("Saved ") + native);
    }

    // The name as chosen, with the extension Compile gave it.
    void compile()
    {
        openWindow({});
        const QString fileShown = panel(3)->text();
        m_prompter->chooseFile(m_rig->path(QStringLiteral("image")));
        action("SaveAs")->trigger();
        QCOMPARE(m_prompter->notices(), QStringList());
        const QString image = m_rig->path(QStringLiteral("image.bin"));
        QCOMPARE(QFileInfo(image).size(), 262144);
        QCOMPARE(bar()->currentMessage(),
                 QStringLiteral("Compiled 262144 bytes to ") + QDir::toNativeSeparators(image));
        panelsComeBack(fileShown);
    }

    void upload_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<int>("cancelAfter"); // the slot (0-based) after which Cancel is clicked
        QTest::addColumn<QString>("firstNotice");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << QStringList{} << 36 << "Upload terminated!"
                                   << "Upload stopped: 37 slots replaced.";
        QTest::newRow("line lost")
            << QStringList{"--close-at", "37"} << -1 << "Time out,Upload failed!"
            << "Upload stopped: 37 slots replaced.";
        QTest::newRow("completed") << QStringList{} << -1 << "Upload completed."
                                   << "Upload: 512 slots replaced.";
    }
    void upload()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(int, cancelAfter);
        QFETCH(QString, firstNotice);
        QFETCH(QString, message);
        openWindow(simOptions);
        connect(&link(), &DeviceLink::progressChanged, this, [&](int slot) {
            if (slot == cancelAfter)
                m_window->fmProgress().Cancel()->click();
        });
        m_prompter->answer(Answer::Yes);
        action("Upload")->trigger();
        QVERIFY(!m_prompter->notices().isEmpty());
        QCOMPARE(m_prompter->notices().front(), firstNotice);
        QCOMPARE(bar()->currentMessage(), message);
    }

    // The real press on the wave button of a slot without a code: a word, no box, no frame.
    void holdOnAnEmptySlot()
    {
        openWindow({});
        KeyGrid& grid = m_window->grid();
        grid.scrollTo(grid.model()->index(11, 0));
        const QRect cell = grid.visualRect(grid.model()->index(11, 0));
        const QPoint waveButton(20 - KeyGrid::IndicatorWidth, cell.center().y());
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, waveButton);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, waveButton);
        QCOMPARE(keys().current().id, 12);
        QCOMPARE(bar()->currentMessage(), QStringLiteral("Slot 12 has no code to send."));
        QCOMPARE(m_prompter->notices(), QStringList());
        QVERIFY(!link().holdSending());
    }

    // Each phase of a verified download counts its own slots from the start.
    void progressCountsEachPhase()
    {
        openWindow({});
        QStringList lastCounts;
        connect(&link(), &DeviceLink::progressChanged, this, [&](int slot) {
            const QString count =
                m_window->fmProgress().findChild<QStatusBar*>("StatusBar1")->currentMessage();
            if (slot == 0)
                lastCounts << count;
            else if (slot == 511)
                lastCounts << count;
        });
        m_window->findChild<QCheckBox*>("VerifyCheckBox")->setChecked(true);
        m_prompter->answer(Answer::Yes);
        action("Download")->trigger();
        QCOMPARE(lastCounts, (QStringList{"Slot 1 of 512", "Slot 512 of 512", "Slot 1 of 512",
                                          "Slot 512 of 512"}));
    }

    // The time left from the pace so far, said only once two slots give one.
    void progressText_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("first slot") << 1 << qint64(900) << "Slot 1 of 512";
        QTest::newRow("second slot") << 2 << qint64(100) << "Slot 2 of 512, about 26 s left";
        QTest::newRow("on its way") << 123 << qint64(5370) << "Slot 123 of 512, about 17 s left";
        QTest::newRow("a slow line")
            << 100 << qint64(30000) << "Slot 100 of 512, about 2 min 4 s left";
        QTest::newRow("no time yet") << 5 << qint64(0) << "Slot 5 of 512";
        QTest::newRow("last slot") << 512 << qint64(23000) << "Slot 512 of 512";
    }
    void progressText()
    {
        QFETCH(int, done);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, text);
        TfmProgress progress;
        progress.showWith(QStringLiteral("Uploading..."));
        auto* status = progress.findChild<QStatusBar*>("StatusBar1");
        QCOMPARE(status->currentMessage(), QString());
        progress.showCount(done, elapsedMs);
        QCOMPARE(status->currentMessage(), text);
        // The next transfer starts with an empty bar.
        progress.hide();
        progress.showWith(QStringLiteral("Downloading..."));
        QCOMPARE(status->currentMessage(), QString());
    }
};

QTEST_MAIN(TestStatusTexts)
#include "tst_statustexts.moc"
