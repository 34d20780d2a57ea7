// The window's "Import codes…" and "Export codes…": the question before, the summary after,
// the rows they work on.
#include <app/mainwindow.h>
#include <interchange/interchange.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qlv;
using namespace qlv::test;

class TstCodeFileWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    KeyGrid& grid() { return m_window->grid(); }
    KeyTable& keys() { return m_window->project().keys(); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(name); }

    void click(int id, Qt::KeyboardModifiers modifiers = {})
    {
        const QPoint at = grid().visualRect(grid().model()->index(id - 1, 1)).center();
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, modifiers, at);
    }

private slots:
    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_rig = std::make_unique<WindowRig>();
        QVERIFY(m_rig->line.isValid());
        QVERIFY(m_rig->open(*m_prompter));
        m_window = m_rig->window.get();
    }

    void cleanup()
    {
        m_window = nullptr;
        m_rig.reset();
        m_prompter.reset();
    }

    void importAsksThenStoresFromTheCurrentRow()
    {
        writeAll(m_rig->path("tv.csv"), "functionname,protocol,device,subdevice,function\n"
                                        "POWER,NEC1,7,-1,2\nOdd,RECS80,1,-1,2\nOK,RC5,14,-1,44\n");
        keys().setRecNo(4);
        KeyRow row = keys().current();
        row.irData = toBytes(oneCodeRecord(48, "OLD"));
        keys().post(row);
        click(3);
        QCOMPARE(action("ImportCodes")->text(), QStringLiteral("Import codes\u2026"));

        // refused first: nothing changes
        m_prompter->chooseFile(m_rig->path("tv.csv")).answer(Answer::No);
        action("ImportCodes")->trigger();
        QCOMPARE(m_prompter->questions(),
                 QStringList{"2 codes go into slots 3 to 4: 2 slots will be overwritten.\n"
                             "These hold a code now: 4.\n"
                             "1 codes cannot be stored; they are listed afterwards.\nImport?"});
        QCOMPARE(textOf(keys().row(2).function), QString());
        QCOMPARE(textOf(keys().row(3).function), QStringLiteral("OLD"));

        m_prompter->clear();
        m_prompter->chooseFile(m_rig->path("tv.csv")).answer(Answer::Yes);
        action("ImportCodes")->trigger();
        QVERIFY(m_prompter->scriptConsumed());
        QCOMPARE(m_prompter->calls.first().kind, PrompterCall::OpenFile);
        QCOMPARE(m_prompter->calls.first().family, FileFamily::Codes);
        QCOMPARE(textOf(keys().row(2).function), QStringLiteral("POWER"));
        QCOMPARE(textOf(keys().row(3).function), QStringLiteral("OK"));
        QVERIFY(isTwoCodeRecord(recordOf(keys().row(3))));
        QCOMPARE(keys().recNo(), 3);
        QVERIFY(m_window->project().modified());
        QCOMPARE(m_prompter->notices(),
                 QStringList{
                     "Stored 2 codes:\n3  POWER  NEC1 D=7 S=248 F=2\n4  OK  RC5 D=14 F=44 T=0\n\n"
                     "Refused:\nline 3: protocol 'RECS80' is not one QLV renders"});
    }

    void exportWritesTheSelectedRows()
    {
        writeAll(m_rig->path("tv.csv"), "A,NEC1,1,-1,1\nB,NEC1,1,-1,2\nC,Sony12,1,-1,3\n");
        m_prompter->chooseFile(m_rig->path("tv.csv")).answer(Answer::Yes);
        click(1);
        action("ImportCodes")->trigger();
        m_prompter->clear();

        click(1);
        click(3, Qt::ControlModifier);
        m_prompter->chooseFile(m_rig->path("out.ir"));
        action("ExportCodes")->trigger();
        QVERIFY(m_prompter->scriptConsumed());
        QCOMPARE(m_prompter->calls.first().kind, PrompterCall::SaveFile);
        QCOMPARE(m_prompter->calls.first().family, FileFamily::Codes);
        QFile file(m_rig->path("out.ir"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        const auto parsed = interchange::parseFlipper({text.constData(), std::size_t(text.size())});
        QCOMPARE(parsed.codes.size(), std::size_t(2));
        QCOMPARE(parsed.codes[1].name, std::string("C"));
        QVERIFY(m_prompter->notices().value(0).startsWith("Wrote 2 codes to "));
    }
};

QTEST_MAIN(TstCodeFileWindow)
#include "tst_codefilewindow.moc"
