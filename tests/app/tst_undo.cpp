// Undo and redo in the window: each kind of edit is one step that brings back the rows, the
// current row and the selection exactly, and "modified" means "differs from the saved file".
#include <app/mainwindow.h>
#include <app/renderdialog.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/fm_funcedit.h>
#include <widgets/fm_remark.h>
#include <widgets/hexedit/fm_irdata.h>
#include <widgets/hexedit/hexeditor.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

struct WindowState {
    std::vector<KeyRow> rows;
    int current = 0;
    std::vector<int> selection;
    bool operator==(const WindowState&) const = default;
};

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    KeyGrid& grid() { return m_window->grid(); }
    KeyTable& keys() { return m_window->project().keys(); }
    QUndoStack& stack() { return m_window->history().stack(); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(name); }
    bool modified() { return m_window->project().modified(); }

    WindowState state()
    {
        WindowState s{{}, keys().currentIndex(), m_window->selection().rows()};
        for (int i = 0; i < keys().recordCount(); ++i)
            s.rows.push_back(keys().row(i));
        return s;
    }
    // What the grid shows of a row: ID, Function, Format, Carry, Remark.
    QStringList shown(int index)
    {
        QStringList texts;
        for (int column = 0; column < grid().model()->columnCount(); ++column)
            texts << grid().model()->index(index, column).data().toString();
        return texts;
    }
    void click(int id)
    {
        const QPoint at = grid().visualRect(grid().model()->index(id - 1, 1)).center();
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, at);
    }
    // A project with codes in slots 2 to 6, saved: the state an undo comes back to.
    void openSavedProject()
    {
        QVERIFY(m_rig->open(*m_prompter));
        m_window = m_rig->window.get();
        for (int id = 2; id <= 6; ++id)
            postRecord(keys(), id,
                       oneCodeRecord(std::uint8_t(40 + id), "KEY" + std::to_string(id)));
        QVERIFY(m_window->project().saveTo(m_rig->path("saved.qlv")));
        QVERIFY(!modified());
        QCOMPARE(stack().count(), 0);
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

    void everyEditIsOneStep_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("undoText");
        QTest::newRow("name") << "name"
                              << "Undo Edit name of slot 4";
        QTest::newRow("remark") << "remark"
                                << "Undo Edit remark of slot 4";
        QTest::newRow("IR data") << "irdata"
                                 << "Undo Edit IR data of slot 4";
        QTest::newRow("paste") << "paste"
                               << "Undo Paste into slot 4";
        QTest::newRow("insert") << "insert"
                                << "Undo Insert slot 4";
        QTest::newRow("delete") << "delete"
                                << "Undo Delete slot 4";
        QTest::newRow("render") << "render"
                                << "Undo Render into slot 4";
        QTest::newRow("import") << "import"
                                << "Undo Import codes into slot 4";
    }

    void everyEditIsOneStep()
    {
        QFETCH(QString, edit);
        QFETCH(QString, undoText);
        openSavedProject();
        // Slots 3 and 5 selected with the pointer, slot 4 current: what each step restores.
        click(3);
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::ControlModifier,
                          grid().visualRect(grid().model()->index(4, 1)).center());
        if (edit == "paste")
            QTest::keyClick(&grid(), Qt::Key_C, Qt::ControlModifier);
        keys().setRecNo(4);
        m_window->selection().setRows({2, 4});
        const WindowState before = state();
        const QStringList shownBefore = shown(3);

        if (edit == "name" || edit == "remark") {
            QTimer::singleShot(0, this, [&] {
                QLineEdit* line =
                    edit == "name" ? m_window->fmFuncEdit().Edit1() : m_window->fmRemark().Edit1();
                line->selectAll();
                QTest::keyClicks(line, QStringLiteral("NEW TEXT"));
                QTest::keyClick(line, Qt::Key_Return);
            });
            if (edit == "name")
                m_window->EditFuncExecute();
            else
                m_window->RemarkEdit();
        } else if (edit == "irdata") {
            QTimer::singleShot(0, this, [&] {
                auto* dialog = m_window->findChild<TfmIRData*>("fmIRData");
                QVERIFY(dialog);
                dialog->editor()->moveCaret(1);
                QTest::keyClicks(dialog->editor(), "31");
                m_prompter->answer(Answer::Yes);
                dialog->close();
            });
            m_window->IRDataEdit();
        } else if (edit == "paste") {
            QTest::keyClick(&grid(), Qt::Key_V, Qt::ControlModifier);
        } else if (edit == "insert") {
            action("InsertFunctions")->trigger();
        } else if (edit == "delete") {
            m_prompter->answer(Answer::Yes);
            action("DelFunctions")->trigger();
        } else if (edit == "render") {
            QTimer::singleShot(0, this, [&] {
                auto* dialog = m_window->findChild<RenderDialog*>("fmRender");
                QVERIFY(dialog);
                dialog->protocolBox()->setCurrentText(QStringLiteral("RC5"));
                dialog->parameterBox("D")->setValue(14);
                dialog->parameterBox("F")->setValue(12);
                dialog->accept();
            });
            action("Render1")->trigger();
        } else if (edit == "import") {
            writeAll(m_rig->path("tv.csv"), "POWER,NEC1,7,-1,2\nOK,RC5,14,-1,44\n");
            m_prompter->chooseFile(m_rig->path("tv.csv")).answer(Answer::Yes);
            action("ImportCodes")->trigger();
        }
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join('|')));
        const WindowState after = state();
        QVERIFY(after.rows != before.rows);
        QVERIFY(modified());
        QCOMPARE(stack().count(), 1);
        QCOMPARE(action("Undo")->text(), undoText);
        QVERIFY(action("Undo")->isEnabled());
        QVERIFY(!action("Redo")->isEnabled());

        action("Undo")->trigger();
        QVERIFY(state() == before);
        QCOMPARE(shown(3), shownBefore);
        QVERIFY(!modified());
        QVERIFY(action("Redo")->isEnabled());
        QCOMPARE(action("Redo")->text(), QString(undoText).replace("Undo", "Redo"));

        action("Redo")->trigger();
        QVERIFY(state() == after);
        QVERIFY(modified());

        // Back at the saved rows, closing asks nothing.
        action("Undo")->trigger();
        m_prompter->clear();
        QVERIFY(m_window->close());
        QCOMPARE(m_prompter->questions(), QStringList());
    }

    void anEditThatChangesNothingIsNoStep()
    {
        openSavedProject();
        keys().setRecNo(3);
        m_window->history().record(QStringLiteral("Same"), [&] { keys().post(keys().current()); });
        QCOMPARE(stack().count(), 0);
        QVERIFY(!modified());
    }

    void savedStateIsFoundAgain()
    {
        openSavedProject();
        auto remark = [&](int id, const QString& text) {
            m_window->history().record(text, [&] {
                keys().setRecNo(id);
                KeyRow row = keys().current();
                row.remark = text;
                keys().post(row);
            });
        };
        remark(2, "A");
        remark(3, "B");
        // Save as opens its copy of the same rows: the history goes on over it.
        QVERIFY(m_window->project().saveTo(m_rig->path("other.qlv")));
        QVERIFY(!modified());
        QCOMPARE(stack().count(), 2);
        action("Undo")->trigger();
        QVERIFY(modified());
        QCOMPARE(textOf(keys().row(2).remark), QString());
        action("Redo")->trigger();
        QVERIFY(!modified());
        action("Undo")->trigger();
        // Saved in place, the undone row reaches the file.
        QVERIFY(m_window->project().saveTo(m_rig->path("other.qlv")));
        QVERIFY(!modified());
        action("Redo")->trigger();
        QVERIFY(modified());
        action("Undo")->trigger();
        QVERIFY(!modified());
        m_window->openFile(m_rig->path("other.qlv"));
        QCOMPARE(textOf(keys().row(1).remark), QStringLiteral("A"));
        QCOMPARE(textOf(keys().row(2).remark), QString());
        QCOMPARE(stack().count(), 0);

        // A new branch from below the saved state never leads back to it.
        remark(3, "B");
        QVERIFY(m_window->project().saveTo(m_rig->path("other.qlv")));
        action("Undo")->trigger();
        remark(4, "C");
        QVERIFY(modified());
        action("Undo")->trigger();
        QVERIFY(modified());
        QCOMPARE(action("Redo")->text(), QStringLiteral("Redo C"));
    }

    void historyHoldsAHundredSteps()
    {
        openSavedProject();
        for (int i = 1; i <= 105; ++i)
            m_window->history().record(QStringLiteral("Step %1").arg(i), [&] {
                keys().setRecNo(10);
                KeyRow row = keys().current();
                row.remark = QString::number(i);
                keys().post(row);
            });
        QCOMPARE(stack().count(), 100);
        while (stack().canUndo())
            stack().undo();
        // The first five steps are gone: slot 10 holds what step 5 left, and the saved state
        // is out of reach.
        QCOMPARE(textOf(keys().row(9).remark), QStringLiteral("5"));
        QVERIFY(modified());
    }

    void newAndOpenClearTheHistory()
    {
        openSavedProject();
        m_window->history().record(QStringLiteral("Edit"), [&] {
            KeyRow row = keys().current();
            row.remark = QStringLiteral("x");
            keys().post(row);
        });
        QCOMPARE(stack().count(), 1);
        m_prompter->answer(Answer::No);
        action("New")->trigger();
        QCOMPARE(stack().count(), 0);
        QVERIFY(!action("Undo")->isEnabled());
        QVERIFY(!modified());

        m_prompter->chooseFile(m_rig->path("saved.qlv"));
        action("Open")->trigger();
        QCOMPARE(stack().count(), 0);
        QCOMPARE(textOf(keys().row(1).function), QStringLiteral("KEY2"));

        // An image import: a history of its own, and rows that no file holds yet.
        QVERIFY(m_window->project().compileTo(m_rig->path("image.bin")));
        m_window->history().record(QStringLiteral("Edit"), [&] {
            KeyRow row = keys().current();
            row.remark = QStringLiteral("x");
            keys().post(row);
        });
        m_prompter->answer(Answer::No).answer(Answer::No); // Open's question, then New's
        m_window->openFile(m_rig->path("image.bin"));
        QCOMPARE(stack().count(), 0);
        QVERIFY(modified());
        QVERIFY(!action("Undo")->isEnabled());
    }

    void gridMenuToolbarAndKeysCarryUndoAndRedo()
    {
        openSavedProject();
        QCOMPARE(action("Undo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(action("Redo")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        QVERIFY(m_window->findChild<QToolBar*>("ToolBar1")->actions().contains(action("Undo")));
        const QList<QAction*> items = m_window->findChild<QMenu*>("PopupMenu2")->actions();
        QVERIFY(items.contains(action("Undo")));
        QVERIFY(items.contains(action("Redo")));
        QCOMPARE(action("Undo")->text(), QStringLiteral("Undo"));
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
