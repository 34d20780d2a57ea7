// The main window on the offscreen platform: QLV.ini in and out, the enabling rules, the
// grid's selection as the window wires it, shortcuts, the edit dialogs and closing.
#include <app/dialogprompter.h>
#include <app/mainwindow.h>
#include <app/renderdialog.h>
#include <app/settings.h>
#include <device/devicelink.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/fm_funcedit.h>
#include <widgets/fm_goto.h>
#include <widgets/fm_remark.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

QByteArray iniLines(int port, int id, int time, int irPort, int format)
{
    return QStringLiteral("[AUTORUN]\r\n[COMPORT]\r\nPORT=%1\r\n[ID]\r\nID=%2\r\n[LEARNTIME]\r\n"
                          "TIME=%3\r\n[IRPORT]\r\nPORT=%4\r\n[IRFORMAT]\r\nFORMAT=%5\r\n")
        .arg(port)
        .arg(id)
        .arg(time)
        .arg(irPort)
        .arg(format)
        .toLatin1();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> m_prompter;
    // Every COM port of the window's ports.ini leads here, so no test opens a real port.
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    void open(const QString& folder)
    {
        QVERIFY(m_rig->open(*m_prompter, folder));
        m_window = m_rig->window.get();
    }

    KeyGrid& grid() { return m_window->grid(); }
    KeyTable& keys() { return m_window->project().keys(); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(name); }
    std::vector<int> selected() { return m_window->selection().rows(); }

    QPoint cellPoint(int id, int column = 1)
    {
        return grid().visualRect(grid().model()->index(id - 1, column)).center();
    }
    void click(int id, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, modifiers, cellPoint(id));
    }
    void doubleClick(int id, int column)
    {
        const QPoint at = cellPoint(id, column);
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid().viewport(), Qt::LeftButton, {}, at);
    }
private slots:
    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_rig = std::make_unique<WindowRig>();
        QVERIFY(m_rig->line.isValid());
    }

    void cleanup()
    {
        m_window = nullptr;
        m_rig.reset();
        m_prompter.reset();
    }

    void settingsInAndOut_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no file
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("normal");
        QTest::addColumn<int>("ticked");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("no file") << QByteArray() << 0 << 0 << 0 << true << 255
                                 << iniLines(0, 0, 0, 255, 1);
        QTest::newRow("FORMAT=2") << QByteArray("[IRFORMAT]\r\nFORMAT=2\r\n") << 0 << 0 << 0
                                  << false << 255 << iniLines(0, 0, 0, 255, 2);
        QTest::newRow("FORMAT=7") << QByteArray("[IRFORMAT]\r\nFORMAT=7\r\n") << 0 << 0 << 0
                                  << false << 255 << iniLines(0, 0, 0, 255, 2);
        QTest::newRow("IRPORT 5") << QByteArray("[IRPORT]\r\nPORT=5\r\n") << 0 << 0 << 0 << true
                                  << 5 << iniLines(0, 0, 0, 5, 1);
        QTest::newRow("IRPORT 256") << QByteArray("[IRPORT]\r\nPORT=256\r\n") << 0 << 0 << 0 << true
                                    << 0 << iniLines(0, 0, 0, 0, 1);
        QTest::newRow("COMPORT 8") << QByteArray("[COMPORT]\r\nPORT=8\r\n") << 0 << 8 << 0 << true
                                   << 255 << iniLines(8, 0, 0, 255, 1);
        QTest::newRow("COMPORT -1") << QByteArray("[COMPORT]\r\nPORT=-1\r\n") << 0 << -1 << 0
                                    << true << 255 << iniLines(-1, 0, 0, 255, 1);
        QTest::newRow("all keys, any case")
            << QByteArray("[autorun]\n[comport]\nport = 3\n[id]\nID=14\n[LearnTime]\nTime=2\n"
                          "[IRPORT]\nPORT=129\n[IRFORMAT]\nFORMAT=1\n")
            << 2 << 3 << 14 << true << 129 << iniLines(3, 14, 2, 129, 1);
        QTest::newRow("not integers, out of range")
            << QByteArray("[LEARNTIME]\r\nTIME=2s\r\n[ID]\r\nID=15\r\n[IRPORT]\r\nPORT=all\r\n")
            << 0 << 0 << -1 << true << 255 << iniLines(0, -1, 0, 255, 1);
    }

    void settingsInAndOut()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, time);
        QFETCH(int, port);
        QFETCH(int, id);
        QFETCH(bool, normal);
        QFETCH(int, ticked);
        QFETCH(QByteArray, written);
        const QString iniPath = m_rig->path(QStringLiteral("QLV.ini"));
        if (!ini.isEmpty())
            writeAll(iniPath, ini);
        open(m_rig->dir.path());
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox1")->currentIndex(), time);
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox2")->currentIndex(), port);
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox3")->currentIndex(), id);
        QCOMPARE(m_window->findChild<QRadioButton*>("RadioButton1")->isChecked(), normal);
        QCOMPARE(m_window->findChild<QRadioButton*>("RadioButton2")->isChecked(), !normal);
        int mask = 0;
        for (int i = 0; i < 8; ++i) {
            auto* box = m_window->findChild<QCheckBox*>(QStringLiteral("PortCheckBox%1").arg(i));
            QCOMPARE(box->text(), QStringLiteral("Port%1").arg(i));
            mask |= box->isChecked() ? 1 << i : 0;
        }
        QCOMPARE(mask, ticked);
        QCOMPARE(m_window->LearnTime(), time + 1);
        QCOMPARE(m_window->IrFormat(), normal ? 1 : 2);
        // The saved port is open from the start; "Close" or no choice opens nothing, and the
        // port panel says so.
        const bool com = port >= 0 && port < 8;
        QCOMPARE(m_window->findChild<QLabel*>("StatusBar1Panel1")->text(),
                 com ? QStringLiteral("COM%1").arg(port + 1) : QStringLiteral("No port"));
        QCOMPARE(m_window->deviceLink().comm().portOpen(), com);
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox2")->toolTip(),
                 com ? m_rig->line.slavePath() : QString());
        QVERIFY(m_window->close());
        QCOMPARE(readAll(iniPath), written);
        QVERIFY(m_prompter->calls.isEmpty());
    }

    void conversionWaitRepaintsAndRefusesInput()
    {
        open(m_rig->dir.path());
        QByteArray header(4096, '\0');
        header.replace(0, 21, QByteArray("\0\1\0\0Standard Jet DB\0\1", 21));
        const QString file = m_rig->path(QStringLiteral("old.qlv"));
        writeAll(file, header);
        // The stand-in converter ends once the window has painted during the wait; a window
        // that did not would leave it to the limit.
        const QString painted = m_rig->path(QStringLiteral("painted"));
        const QString converter = m_rig->path(QStringLiteral("converter"));
        writeAll(converter, QStringLiteral("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.01; done\n"
                                           "exit 3\n")
                                .arg(painted)
                                .toUtf8());
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::ExeOwner);
        m_window->project().setLegacyConverter(converter, 5000);
        PaintCounter counter;
        m_window->grid().viewport()->installEventFilter(&counter);

        bool busyCursor = false;
        bool actionsOff = false;
        bool controlsOff = false;
        bool closed = true;
        QTimer::singleShot(0, this, [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            busyCursor = cursor && cursor->shape() == Qt::BusyCursor;
            actionsOff = !action("Open")->isEnabled() && !action("New")->isEnabled() &&
                         !action("Save")->isEnabled();
            controlsOff =
                !grid().isEnabled() && !m_window->findChild<QComboBox*>("ComboBox2")->isEnabled();
            // A second Open by its shortcut, and the close box, are both refused.
            QTest::keyClick(m_window, Qt::Key_O, Qt::ControlModifier);
            closed = m_window->close();
            counter.paints = 0;
            grid().viewport()->update();
        });
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (counter.paints > 0 && !QFile::exists(painted))
                writeAll(painted, {});
        });
        poll.start(10);
        m_prompter->chooseFile(file);
        m_window->OpenExecute();
        poll.stop();

        QVERIFY(busyCursor);
        QVERIFY(actionsOff);
        QVERIFY(controlsOff);
        QVERIFY(!closed);
        QVERIFY(m_window->isVisible());
        int dialogs = 0;
        for (const PrompterCall& call : m_prompter->calls)
            dialogs += call.kind == PrompterCall::OpenFile;
        QCOMPARE(dialogs, 1);
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY2(m_prompter->notices().first().contains(QStringLiteral("ended with status 3")),
                 qPrintable(m_prompter->notices().first()));
        // Everything is back once the wait is over.
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(action("Open")->isEnabled());
        QVERIFY(grid().isEnabled());
    }

    void choicesAreWrittenAtClose()
    {
        open(m_rig->dir.path());
        m_window->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
        m_window->findChild<QComboBox*>("ComboBox3")->setCurrentIndex(13);
        m_window->findChild<QRadioButton*>("RadioButton2")->click();
        m_window->findChild<QCheckBox*>("PortCheckBox0")->click();
        m_window->findChild<QCheckBox*>("PortCheckBox7")->click();
        QCOMPARE(m_window->DeviceId(), 13);
        QCOMPARE(m_window->IrPortMask(), quint8(0x7E));
        QVERIFY(m_window->close());
        QCOMPARE(readAll(m_rig->path("QLV.ini")), iniLines(0, 13, 2, 126, 2));
    }

    void enablingRules()
    {
        open(m_rig->dir.path());
        QVERIFY(m_window->project().projectLoaded());
        for (const char* name :
             {"New", "Open", "Save", "SaveAs", "Upload", "Download", "About", "Copy", "SelectAll",
              "InsertFunctions", "DelFunctions", "Goto", "IRLearn", "EditFunc", "Render1"})
            QVERIFY2(action(name)->isEnabled(), name);
        QVERIFY(m_window->findChild<QPushButton*>("Button1")->isEnabled());
        QVERIFY(!action("Paste")->isEnabled());
        action("Copy")->trigger();
        QVERIFY(action("Paste")->isEnabled());
    }

    void withoutProjectTheDeviceActionsAreOff()
    {
        // A data folder that cannot exist: the start-up New fails and says why.
        writeAll(m_rig->path("file"), "x");
        open(m_rig->path("file/sub"));
        QVERIFY(!m_window->project().projectLoaded());
        QVERIFY(!m_prompter->notices().isEmpty());
        // Nothing to save, compile, send or edit: every such command is off.
        for (const char* name :
             {"Save", "SaveAs", "Upload", "Download", "IRLearn", "EditFunc", "Paste", "Copy",
              "SelectAll", "InsertFunctions", "DelFunctions", "Goto", "Render1"})
            QVERIFY2(!action(name)->isEnabled(), name);
        QVERIFY(!m_window->findChild<QPushButton*>("Button1")->isEnabled());
        for (const char* name : {"New", "Open", "About"})
            QVERIFY2(action(name)->isEnabled(), name);
        QCOMPARE(grid().model()->rowCount(), 0);
    }

    void layout()
    {
        open(m_rig->dir.path());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("K-817T"));
        QCOMPARE(m_window->size(), QSize(758, 626));
        QCOMPARE(m_window->findChild<QWidget*>("Panel2")->geometry(), QRect(0, 72, 545, 409));
        QCOMPARE(m_window->findChild<QWidget*>("GroupBox2")->geometry(), QRect(551, 72, 91, 161));
        QCOMPARE(m_window->findChild<QWidget*>("Button1")->geometry(), QRect(665, 192, 67, 25));
        QCOMPARE(m_window->findChild<QWidget*>("BitBtn3")->toolTip(),
                 QStringLiteral("Normal size"));
        QCOMPARE(grid().columnWidth(0), 50);
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox3")->count(), 15);
        QCOMPARE(m_window->findChild<QComboBox*>("ComboBox3")->itemText(13), QStringLiteral("E"));
        // Anchors: the grid grows with the window, the right-hand controls follow its edge.
        m_window->resize(858, 726);
        QCOMPARE(m_window->findChild<QWidget*>("Panel2")->geometry(), QRect(0, 72, 645, 509));
        QCOMPARE(m_window->findChild<QWidget*>("GroupBox1")->geometry(), QRect(755, 72, 91, 161));
        QCOMPARE(m_window->findChild<QWidget*>("BitBtn1")->geometry().topLeft(), QPoint(653, 554));
    }

    void selectionByMouse()
    {
        open(m_rig->dir.path());
        click(3);
        QCOMPARE(selected(), std::vector<int>{2});
        QCOMPARE(keys().recNo(), 3);
        // Ctrl+click in any order keeps table order; a plain click starts over.
        click(7, Qt::ControlModifier);
        click(5, Qt::ControlModifier);
        QCOMPARE(selected(), (std::vector<int>{2, 4, 6}));
        QCOMPARE(keys().recNo(), 5);
        click(7, Qt::ControlModifier);
        QCOMPARE(selected(), (std::vector<int>{2, 4}));
        // Shift+click adds the rows from the previous current row, 7, to the clicked one.
        click(9, Qt::ShiftModifier);
        QCOMPARE(selected(), (std::vector<int>{2, 4, 6, 7, 8}));
        click(4);
        QCOMPARE(selected(), std::vector<int>{3});

        // Dragging extends from the pressed row; moving back gives rows up again.
        QWidget* cells = grid().viewport();
        QTest::mousePress(cells, Qt::LeftButton, {}, cellPoint(10));
        QTest::mouseMove(cells, cellPoint(13));
        QCOMPARE(selected(), (std::vector<int>{9, 10, 11, 12}));
        QTest::mouseMove(cells, cellPoint(11));
        QCOMPARE(selected(), (std::vector<int>{9, 10}));
        QCOMPARE(keys().recNo(), 11);
        QTest::mouseRelease(cells, Qt::LeftButton, {}, cellPoint(11));
        QTest::mouseMove(cells, cellPoint(20));
        QCOMPARE(selected(), (std::vector<int>{9, 10}));
    }

    void selectionClearedByKeysWheelAndScrollSteps()
    {
        open(m_rig->dir.path());
        auto build = [&] {
            click(3);
            click(5, Qt::ControlModifier);
            click(7, Qt::ControlModifier);
            QCOMPARE(m_window->selection().count(), 3);
        };
        build();
        QTest::keyClick(&grid(), Qt::Key_Down);
        QCOMPARE(keys().recNo(), 8);
        QCOMPARE(m_window->selection().count(), 0);

        build();
        QWheelEvent wheel(QPointF(50, 50), grid().viewport()->mapToGlobal(QPointF(50, 50)), {},
                          QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid().viewport(), &wheel);
        QVERIFY(keys().recNo() > 7);
        QCOMPARE(m_window->selection().count(), 0);

        build();
        QScrollBar* bar = grid().verticalScrollBar();
        bar->setSliderDown(true);
        bar->setSliderDown(false);
        QCOMPARE(m_window->selection().count(), 3);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_window->selection().count(), 0);

        build();
        bar->setSliderDown(true);
        bar->setSliderPosition(bar->value() + 40);
        bar->setSliderDown(false);
        QCOMPARE(m_window->selection().count(), 0);
        QCOMPARE(keys().recNo(), 7);
    }

    void rightClickKeepsSelection()
    {
        open(m_rig->dir.path());
        click(3);
        click(5, Qt::ControlModifier);
        QTest::mousePress(grid().viewport(), Qt::RightButton, {}, cellPoint(9));
        QTest::mouseRelease(grid().viewport(), Qt::RightButton, {}, cellPoint(9));
        QCOMPARE(selected(), (std::vector<int>{2, 4}));
        QCOMPARE(keys().recNo(), 5);
        auto* menu = m_window->findChild<QMenu*>("PopupMenu2");
        QVERIFY(menu->isVisible());
        QStringList items;
        for (QAction* item : menu->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(items, (QStringList{"Undo", "Redo", "-", "Copy", "Paste", "-", "Insert", "Delete",
                                     "-", "Render…"}));
        menu->close();
    }

    void shortcutsReachTheirActions()
    {
        open(m_rig->dir.path());
        postRecord(keys(), 2, oneCodeRecord(48, "TWO"));
        click(2);
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_window->copyBuffer().copyCount, 1);
        click(6);
        QTest::keyClick(&grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(textOf(keys().row(5).function), QStringLiteral("TWO"));
        QTest::keyClick(&grid(), Qt::Key_Insert);
        QCOMPARE(textOf(keys().row(6).function), QStringLiteral("TWO"));
        QVERIFY(textOf(keys().row(5).function).isEmpty());
        m_prompter->answer(Answer::No);
        QTest::keyClick(&grid(), Qt::Key_Delete);
        QCOMPARE(m_prompter->questions(),
                 QStringList{QStringLiteral("Really delete IR data in selection items?")});
        QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_window->selection().count(), 512);
        QCOMPARE(keys().recNo(), 512);
    }

    void functionNameDialog()
    {
        open(m_rig->dir.path());
        postRecord(keys(), 4, oneCodeRecord(48, "OLD"));
        const CodeRecord before = recordOf(keys().row(3));
        QString shownSelected;
        QTimer::singleShot(0, this, [&] {
            TfmFuncEdit& dialog = m_window->fmFuncEdit();
            shownSelected = dialog.Edit1()->selectedText();
            QTest::keyClicks(dialog.Edit1(), QStringLiteral("TV ON"));
            QTest::keyClick(dialog.Edit1(), Qt::Key_Return);
        });
        doubleClick(4, 1);
        QCOMPARE(shownSelected, QStringLiteral("OLD"));
        QCOMPARE(textOf(keys().row(3).function), QStringLiteral("TV ON"));
        QCOMPARE(grid().model()->index(3, 1).data().toString(), QStringLiteral("TV ON"));
        const CodeRecord after = recordOf(keys().row(3));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.data()) + 240, 6),
                 QByteArray("TV ON", 6));
        QVERIFY(std::equal(after.begin(), after.begin() + 240, before.begin()));
        QVERIFY(m_window->project().modified());
    }

    void protocolShowsForTheCurrentRow()
    {
        open(m_rig->dir.path());
        postRecord(keys(), 2,
                   std::get<CodeRecord>(recordFromProtocol("NEC1", {{"D", 4}, {"F", 8}})));
        postRecord(keys(), 3, oneCodeRecord(48, "ODD"));
        postRecord(keys(), 5,
                   std::get<CodeRecord>(recordFromProtocol("RC5", {{"D", 14}, {"F", 12}})));
        auto* panel = m_window->findChild<QLabel*>("ProtocolPanel");
        auto* strip0 = m_window->findChild<QLabel*>("WaveProtocol0");
        auto* strip1 = m_window->findChild<QLabel*>("WaveProtocol1");
        QVERIFY(panel && strip0 && strip1);

        keys().setRecNo(2);
        QCOMPARE(panel->text(), QStringLiteral("NEC1 D=4 S=251 F=8"));
        QCOMPARE(strip0->text(), QStringLiteral("NEC1 D=4 S=251 F=8"));
        QVERIFY(strip0->isVisible());
        QVERIFY(!strip1->isVisible()); // "Auto Clear": strip 1 shows no code
        keys().setRecNo(3);
        QCOMPARE(panel->text(), QStringLiteral("no known protocol"));
        keys().setRecNo(4);
        QVERIFY(!panel->isVisible());
        keys().setRecNo(5);
        QCOMPARE(panel->text(), QStringLiteral("A: RC5 D=14 F=12 T=0   B: RC5 D=14 F=12 T=1"));
        QCOMPARE(strip0->text(), QStringLiteral("RC5 D=14 F=12 T=0"));
        QCOMPARE(strip1->text(), QStringLiteral("RC5 D=14 F=12 T=1"));

        QCOMPARE(grid().model()->index(1, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("NEC1 D=4 S=251 F=8"));
        QCOMPARE(grid().model()->index(4, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("A: RC5 D=14 F=12 T=0\nB: RC5 D=14 F=12 T=1"));
        QVERIFY(grid().model()->index(3, 2).data(Qt::ToolTipRole).isNull());
        QVERIFY(grid().model()->index(1, 1).data(Qt::ToolTipRole).isNull());
    }

    void renderDialogOffersRangesAndPreviews()
    {
        RenderDialog dialog;
        dialog.protocolBox()->setCurrentText(QStringLiteral("NEC1"));
        QSpinBox* d = dialog.parameterBox("D");
        QSpinBox* s = dialog.parameterBox("S");
        QVERIFY(d && s && dialog.parameterBox("F"));
        QCOMPARE(d->maximum(), 255);
        QCOMPARE(s->text(), QStringLiteral("default"));
        d->setValue(4);
        dialog.parameterBox("F")->setValue(8);
        QCOMPARE(dialog.previewText(), QStringLiteral("NEC1 D=4 S=251 F=8"));
        s->setValue(1);
        QCOMPARE(dialog.previewText(), QStringLiteral("NEC1 D=4 S=1 F=8"));
        const QImage diagram = dialog.diagram();
        // After the 96 ms lead-in (1603 pixels at 60 us a pixel) the leader burst, in red.
        QCOMPARE(diagram.pixelColor(1650, 5), QColor(255, 0, 0));
        QCOMPARE(diagram.pixelColor(1650, 30), QColor(166, 202, 240));

        dialog.protocolBox()->setCurrentText(QStringLiteral("RC6"));
        QVERIFY(!dialog.parameterBox("T")); // code A and code B hold both toggle states
        QVERIFY(!dialog.parameterBox("S"));
        QCOMPARE(dialog.parameterBox("D")->maximum(), 255);
        QCOMPARE(dialog.previewText(), QStringLiteral("A: RC6 D=0 F=0 T=0\nB: RC6 D=0 F=0 T=1"));
        QVERIFY(dialog.record() && isTwoCodeRecord(*dialog.record()));
    }

    void renderPostsIntoTheCurrentRow()
    {
        open(m_rig->dir.path());
        postRecord(keys(), 4, oneCodeRecord(48, "TV"));
        keys().setRecNo(4);
        m_window->project().setModified(false);
        QTimer::singleShot(0, this, [&] {
            auto* dialog = m_window->findChild<RenderDialog*>("fmRender");
            QVERIFY(dialog);
            dialog->protocolBox()->setCurrentText(QStringLiteral("RC5"));
            dialog->parameterBox("D")->setValue(14);
            dialog->parameterBox("F")->setValue(12);
            dialog->accept();
        });
        action("Render1")->trigger();
        const KeyRow& row = keys().row(3);
        QCOMPARE(textOf(row.format), QStringLiteral("RC5/RC6"));
        QCOMPARE(textOf(row.carry), QStringLiteral("36156"));
        QCOMPARE(textOf(row.function), QStringLiteral("TV"));
        QCOMPARE(nameText(recordOf(row)), std::string("TV"));
        QVERIFY(m_window->project().modified());
        QCOMPARE(m_window->findChild<QLabel*>("ProtocolPanel")->text(),
                 QStringLiteral("A: RC5 D=14 F=12 T=0   B: RC5 D=14 F=12 T=1"));
        QVERIFY(m_window->findChild<QMenu*>("PopupMenu2")->actions().contains(action("Render1")));
    }

    void remarkDialogKeepsLongRemark()
    {
        open(m_rig->dir.path());
        const QString remark(120, QLatin1Char('x'));
        keys().setRecNo(8);
        KeyRow row = keys().current();
        row.remark = remark;
        keys().post(row);
        QString shown;
        QTimer::singleShot(0, this, [&] {
            TfmRemark& dialog = m_window->fmRemark();
            shown = dialog.text();
            dialog.Button1()->click();
        });
        doubleClick(8, 5);
        QCOMPARE(shown, remark);
        QCOMPARE(textOf(keys().row(7).remark), remark);
    }

    void gotoDialog()
    {
        open(m_rig->dir.path());
        keys().setRecNo(30);
        auto go = [&](const QString& text, bool byId) {
            QTimer::singleShot(0, this, [&, text, byId] {
                TfmGoTo& dialog = m_window->fmGoTo();
                (byId ? dialog.RadioButton1() : dialog.RadioButton2())->setChecked(true);
                dialog.setText(text);
                dialog.Button1()->click();
            });
            action("Goto")->trigger();
        };
        go(QStringLiteral("0x20"), true);
        QCOMPARE(keys().recNo(), 32);
        go(QStringLiteral("POWER"), false);
        QCOMPARE(keys().recNo(), 32);
        QCOMPARE(m_prompter->notices(), QStringList{QStringLiteral("Not found POWER!")});
    }

    void closeWithUnsavedChanges()
    {
        const QString iniPath = m_rig->path("QLV.ini");
        writeAll(iniPath, "[ID]\r\nID=3\r\n");
        open(m_rig->dir.path());
        postRecord(keys(), 1, oneCodeRecord(48, "X"));
        // Yes, then the save dialog cancelled: the window stays, the settings stay.
        m_prompter->answer(Answer::Yes).chooseFile(std::nullopt);
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QCOMPARE(readAll(iniPath), QByteArray("[ID]\r\nID=3\r\n"));
        QCOMPARE(m_prompter->calls.at(0).text, QStringLiteral("Save changes to current file?"));
        QCOMPARE(m_prompter->calls.at(0).title, QStringLiteral("K-817T"));
        // Cancel keeps it open too; No closes and writes the settings.
        m_prompter->answer(Answer::Cancel);
        QVERIFY(!m_window->close());
        m_prompter->answer(Answer::No);
        QVERIFY(m_window->close());
        QCOMPARE(readAll(iniPath), iniLines(0, 3, 0, 255, 1));
    }

    void aboutBox()
    {
        open(m_rig->dir.path());
        QString caption;
        QString text;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            QCOMPARE(box->buttons().size(), 1);
            box->accept();
        });
        action("About")->trigger();
        QCOMPARE(caption, QStringLiteral("Version"));
        QCOMPARE(text, QStringLiteral("K-817T 09.10.15"));
    }

    void openErrorBoxShowsDeviceAndReason()
    {
        DialogPrompter prompter;
        PortMap map;
        const QString missing = m_rig->path(QStringLiteral("ttyNone"));
        map.setPath(1, missing);
        SerialComm comm(prompter, makeSerialStream(), map);
        QString title;
        QString text;
        QString detail;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            detail = box->informativeText();
            box->accept();
        });
        QVERIFY(!comm.OpenComm(QStringLiteral("COM1")));
        QCOMPARE(title, QStringLiteral("Open Error"));
        QCOMPARE(text, QStringLiteral("Error opening serial port!"));
        QCOMPARE(detail, missing + QStringLiteral(": No such file or directory"));
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("project") << "K-817T File|*.qlv|*.bin|*.bin"
                                 << QStringList{"K-817T File (*.qlv)", "*.bin"};
        QTest::newRow("image") << "*.bin|*.bin" << QStringList{"*.bin"};
        QTest::newRow("two patterns") << "Text|*.txt;*.hex" << QStringList{"Text (*.txt *.hex)"};
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }

    void unwritableSettingsStillClose()
    {
        // A folder where the file should be: it cannot be replaced.
        QVERIFY(QDir(m_rig->dir.path()).mkdir("QLV.ini"));
        open(m_rig->dir.path());
        QVERIFY(m_window->close());
        QCOMPARE(m_prompter->notices().size(), 1);
        QVERIFY(m_prompter->notices().at(0).contains(QStringLiteral("QLV.ini")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
