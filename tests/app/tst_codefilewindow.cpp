// The window's "Import codes…" and "Export codes…": the question before, the summary after,
// the rows they work on.
#include <app/mainwindow.h>
#include <interchange/interchange.h>
#include <widgets/keygrid.h>
#include <project/derivedfields.h>
#include <support/projectfiles.h>
#include <support/ptypeer.h>
#include <support/records.h>
#include <support/scriptedprompter.h>

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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPeer> m_line;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;

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
        m_dir = std::make_unique<QTemporaryDir>();
        m_line = std::make_unique<PtyPeer>();
        QVERIFY(m_line->isValid());
        QByteArray ports("[PORTS]\n");
        for (int n = 1; n <= 8; ++n)
            ports += QStringLiteral("COM%1=%2\n").arg(n).arg(m_line->slavePath()).toUtf8();
        writeAll(m_dir->filePath(QStringLiteral("ports.ini")), ports);
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = std::make_unique<MainWindow>(*m_prompter, m_dir->path());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_prompter.reset();
        m_line.reset();
        m_dir.reset();
    }

    void importAsksThenStoresFromTheCurrentRow()
    {
        writeAll(m_dir->filePath("tv.csv"),
                 "functionname,protocol,device,subdevice,function\n"
                 "POWER,NEC1,7,-1,2\nOdd,RECS80,1,-1,2\nOK,RC5,14,-1,44\n");
        keys().setRecNo(4);
        KeyRow row = keys().current();
        row.irData = toBytes(oneCodeRecord(48, "OLD"));
        keys().post(row);
        click(3);
        QCOMPARE(action("ImportCodes")->text(), QStringLiteral("Import codes\u2026"));

        // refused first: nothing changes
        m_prompter->chooseFile(m_dir->filePath("tv.csv")).answer(Answer::No);
        action("ImportCodes")->trigger();
        QCOMPARE(m_prompter->questions(),
                 QStringList{"2 codes go into slots 3 to 4: 2 slots will be overwritten.\n"
                             "These hold a code now: 4.\n"
                             "1 codes cannot be stored; they are listed afterwards.\nImport?"});
        QCOMPARE(textOf(keys().row(2).function), QString());
        QCOMPARE(textOf(keys().row(3).function), QStringLiteral("OLD"));

        m_prompter->clear();
        m_prompter->chooseFile(m_dir->filePath("tv.csv")).answer(Answer::Yes);
        action("ImportCodes")->trigger();
        QVERIFY(m_prompter->scriptConsumed());
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
        writeAll(m_dir->filePath("tv.csv"), "A,NEC1,1,-1,1\nB,NEC1,1,-1,2\nC,Sony12,1,-1,3\n");
        m_prompter->chooseFile(m_dir->filePath("tv.csv")).answer(Answer::Yes);
        click(1);
        action("ImportCodes")->trigger();
        m_prompter->clear();

        click(1);
        click(3, Qt::ControlModifier);
        m_prompter->chooseFile(m_dir->filePath("out.ir"));
        action("ExportCodes")->trigger();
        QVERIFY(m_prompter->scriptConsumed());
        QFile file(m_dir->filePath("out.ir"));
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
