// The window's checks of what the device holds, against k817t-sim on a pseudo-terminal that
// COM1 is mapped to: Download with "Verify" and the offer to download again, "Compare with
// device" with its list and "Take from device", "Learn each key twice", and QLV.ini keeping
// the two boxes.
#include <app/comparedialog.h>
#include <app/devicechecks.h>
#include <app/mainwindow.h>
#include <device/devicelink.h>
#include <device/devicemessages.h>
#include <device/frames.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <variant>

using namespace qlv;
using namespace qlv::test;

namespace {

CodeRecord nec(std::int64_t function, std::string_view name = {})
{
    CodeRecord record =
        std::get<CodeRecord>(recordFromProtocol("NEC1", {{"D", 4}, {"F", function}}));
    writeName(record, name);
    return record;
}

} // namespace

class TestDeviceChecks : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatorWindowRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    MainWindow* m_window = nullptr;

    KeyTable& keys() { return m_window->project().keys(); }
    DeviceLink& link() { return m_window->deviceLink(); }
    QCheckBox* box(const char* name) { return m_window->findChild<QCheckBox*>(name); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(name); }

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
    }

    void put(int index, const CodeRecord& record)
    {
        keys().setRecNo(index + 1);
        KeyRow row = keys().current();
        row.function = QString::fromStdString(nameText(record));
        row.irData = bytesOf(record);
        keys().post(row);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<SimulatorWindowRig>();
        QVERIFY(m_rig->dir.isValid());
    }

    void cleanup()
    {
        m_window = nullptr;
        m_prompter = nullptr;
        m_rig.reset();
    }

    // The progress window goes on with its own count, and the line is back at 9600 bit/s.
    void downloadVerified_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<QStringList>("labels");
        const QString again = QStringLiteral("Verify failed: slot 17 differs.\nDownload again?");
        QTest::newRow("clean") << QStringList{} << QStringList{msg::DownloadQuestion}
                               << QStringList{"Download verified: 512 slots identical."}
                               << QStringList{"Downloading...", "Verifying..."};
        // The simulator stores the slot wrong every time: downloaded again, still wrong.
        QTest::newRow("slot 17 stored wrong")
            << QStringList{"--flip-at", "16"} << QStringList{msg::DownloadQuestion, again, again}
            << QStringList{}
            << QStringList{"Downloading...", "Verifying...", "Downloading...", "Verifying..."};
    }
    void downloadVerified()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, notices);
        QFETCH(QStringList, labels);
        openWindow(simOptions);
        put(16, nec(8, "Power"));
        QStringList shown;
        QList<int> lastSlots;
        connect(&link(), &DeviceLink::progressShown, this,
                [&](const QString& label) { shown << label; });
        connect(&link(), &DeviceLink::progressChanged, this, [&](int slot) {
            if (slot == 0)
                lastSlots << 0;
            else
                lastSlots.back() = slot;
        });
        box("VerifyCheckBox")->setChecked(true);
        m_prompter->answer(Answer::Yes).answer(Answer::Yes).answer(Answer::No);
        action("Download")->trigger();
        QCOMPARE(m_prompter->questions(), questions);
        QCOMPARE(m_prompter->notices(), notices);
        QCOMPARE(shown, labels);
        QCOMPARE(lastSlots, QList<int>(labels.size(), 511));
        QCOMPARE(link().comm().baudRate(), CommandRate);
        QVERIFY(link().comm().portOpen());
        QVERIFY(action("Download")->isEnabled());
    }

    // Unchecked, Download is the plain one: no read-back.
    void downloadWithoutVerify()
    {
        openWindow({});
        QStringList shown;
        connect(&link(), &DeviceLink::progressShown, this,
                [&](const QString& label) { shown << label; });
        m_prompter->answer(Answer::Yes);
        action("Download")->trigger();
        QCOMPARE(m_prompter->notices(), QStringList{msg::DownloadCompleted});
        QCOMPARE(shown, QStringList{"Downloading..."});
    }

    void boxesKeptInTheirSections()
    {
        openWindow({});
        QVERIFY(!box("VerifyCheckBox")->isChecked());
        QVERIFY(!box("LearnTwiceCheckBox")->isChecked());
        box("VerifyCheckBox")->setChecked(true);
        box("LearnTwiceCheckBox")->setChecked(true);
        QVERIFY(link().settings().learnTwice);
        QVERIFY(m_window->close());
        const QByteArray ini = readAll(m_rig->path("QLV.ini"));
        QVERIFY2(ini.endsWith("[VERIFY]\r\nVERIFY=1\r\n[LEARNTWICE]\r\nTWICE=1\r\n"), ini);
        reopenWindow();
        QVERIFY(box("VerifyCheckBox")->isChecked());
        QVERIFY(box("LearnTwiceCheckBox")->isChecked());
        QVERIFY(link().settings().learnTwice);
    }

    // Slot 1 renamed, 2 emptied and 3 filled in the project after the download; the list
    // goes to a slot on a click, and "Take from device" makes the chosen rows the device's.
    void compareAndTakeFromDevice()
    {
        openWindow({});
        put(0, nec(8, "Power"));
        put(1, nec(9, "Mute"));
        QCOMPARE(link().downloadAll(), TransferEnding::Completed);
        m_prompter->clear();
        put(0, nec(8, "Standby"));
        put(1, readStored({}));
        put(2, nec(10));
        const QByteArray file = readAll(m_window->project().currentFile());

        action("CompareDevice")->trigger();
        CompareDialog* dialog = m_window->deviceChecks().compareDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QTreeWidget* list = dialog->findChild<QTreeWidget*>("CompareList");
        QCOMPARE(list->topLevelItemCount(), 3);
        auto line = [&](int i) {
            QStringList texts;
            for (int column = 0; column < list->columnCount(); ++column)
                texts << list->topLevelItem(i)->text(column);
            return texts;
        };
        QCOMPARE(line(0), (QStringList{"1", "name only", "Standby", "NEC1 D=4 S=251 F=8", "Power",
                                       "NEC1 D=4 S=251 F=8"}));
        QCOMPARE(line(1),
                 (QStringList{"2", "empty in project", "-", "-", "Mute", "NEC1 D=4 S=251 F=9"}));
        QCOMPARE(line(2),
                 (QStringList{"3", "empty in device", "-", "NEC1 D=4 S=251 F=10", "-", "-"}));
        QCOMPARE(dialog->findChild<QLabel*>("CompareSummary")->text(),
                 QStringLiteral("512 slots: 509 equal, 3 differ."));

        const QRect second = list->visualItemRect(list->topLevelItem(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(keys().currentIndex(), 1);

        auto* take = dialog->findChild<QPushButton*>("TakeFromDevice");
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(1)->setSelected(true);
        QTest::mouseClick(take, Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("3"));
        QCOMPARE(keys().row(0).function, std::optional<QString>(QStringLiteral("Power")));
        QCOMPARE(recordOf(keys().row(1)), importedSlot(nec(9, "Mute")));
        QCOMPARE(textOf(keys().row(1).function), QStringLiteral("Mute"));
        // Rows posted in one batch: the file is written only by Save.
        QVERIFY(keys().hasPendingChanges());
        QVERIFY(readAll(m_window->project().currentFile()) == file);
        QCOMPARE(m_prompter->notices(), QStringList());

        // The take is one step: its undo brings back both rows.
        QAction* undo = action("Undo");
        QCOMPARE(undo->text(), QStringLiteral("Undo Take 2 slots from device"));
        undo->trigger();
        QCOMPARE(keys().row(0).function, std::optional<QString>(QStringLiteral("Standby")));
        QVERIFY(!hasCode(recordOf(keys().row(1)), Code::A));
        action("Redo")->trigger();
        QCOMPARE(textOf(keys().row(1).function), QStringLiteral("Mute"));
    }

    void learnEachKeyTwice_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<int>("triesAgain");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QStringList>("shown");
        const QString first = QStringLiteral("Slot 5: the two captures differ (NEC1 D=4 S=251 "
                                             "F=16, then NEC1-f16 D=4 S=251 F=20 E=239).\n"
                                             "Try the key again?");
        QTest::newRow("jittered, equal")
            << QStringList{"--noisy"} << 0 << true
            << QStringList{"Slot 5: two identical captures (NEC1 D=4 S=251 F=16)"};
        QTest::newRow("a wrong bit")
            << QStringList{"--noisy-bad"} << 0 << false << QStringList{first};
        // Tried again: two more captures (the next key, again one misread), then given up.
        QTest::newRow("a wrong bit, tried again")
            << QStringList{"--noisy-bad"} << 1 << false
            << QStringList{first, "Slot 5: the two captures differ (NEC1 D=4 S=251 F=17, then "
                                  "NEC1-f16 D=4 S=251 F=21 E=238).\nTry the key again?"};
    }
    void learnEachKeyTwice()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(int, triesAgain);
        QFETCH(bool, stored);
        QFETCH(QStringList, shown);
        openWindow(simOptions << "--presses"
                              << "2"
                              << "--learn-delay"
                              << "50");
        box("LearnTwiceCheckBox")->setChecked(true);
        keys().setRecNo(5);
        for (int i = 0; i < triesAgain; ++i)
            m_prompter->answer(Answer::Yes);
        m_prompter->answer(Answer::No);
        action("IRLearn")->trigger();
        if (stored) {
            QCOMPARE(m_window->findChild<QStatusBar*>("StatusBar1")->currentMessage(),
                     shown.front());
            QCOMPARE(QString::fromStdString(recordSummary(recordOf(keys().row(4)), " / ")),
                     QStringLiteral("NEC1 D=4 S=251 F=16"));
            QCOMPARE(m_prompter->questions(), QStringList());
        } else {
            QCOMPARE(m_prompter->questions(), shown);
            QVERIFY(!hasCode(recordOf(keys().row(4)), Code::A));
        }
        QCOMPARE(m_prompter->notices(), QStringList());
        QCOMPARE(action("IRLearn")->text(), QStringLiteral("IR Learn"));
    }
};

QTEST_MAIN(TestDeviceChecks)
#include "tst_devicechecks.moc"
