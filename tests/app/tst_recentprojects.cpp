// The Open button's drop-down of recent projects: its order, bound and duplicates, its
// section of QLV.ini beside the others, and an entry whose file has gone.
#include <app/mainwindow.h>
#include <app/recentprojects.h>
#include <app/settings.h>
#include <support/projectfiles.h>
#include <support/records.h>
#include <support/scriptedprompter.h>
#include <support/windowrig.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace qlv;
using namespace qlv::test;

class TstRecentProjects : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<WindowRig> m_rig;
    MainWindow* m_window = nullptr;

    QString project(const QString& name)
    {
        const QString path = m_rig->path(name);
        if (!QFile::exists(path))
            writeTemplateCopy(path);
        return path;
    }
    QString iniPath() const { return m_rig->path(QStringLiteral("QLV.ini")); }
    QMenu* menu() { return m_window->findChild<QMenu*>(QStringLiteral("RecentProjectsMenu")); }
    QStringList entries()
    {
        QStringList texts;
        for (const QAction* entry : menu()->actions())
            texts << entry->text();
        return texts;
    }
    QAction* entry(int n)
    {
        const QString name = QStringLiteral("RecentProject%1").arg(n);
        for (QAction* action : menu()->actions())
            if (action->objectName() == name)
                return action;
        return nullptr;
    }
    bool reopen()
    {
        // No close: the list must already be in QLV.ini when a project has been opened.
        m_rig->window.reset();
        const bool active = m_rig->open(*m_prompter);
        m_window = m_rig->window.get();
        return active;
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

    void theOpenButtonCarriesTheList()
    {
        QToolBar* toolBar = m_window->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
        auto* button = qobject_cast<QToolButton*>(
            toolBar->widgetForAction(m_window->findChild<QAction*>(QStringLiteral("Open"))));
        QVERIFY(button);
        QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(button->menu(), menu());
        QCOMPARE(entries(), QStringList{"No recent projects"});
        QVERIFY(!menu()->actions().front()->isEnabled());
        // The button itself still opens the dialog.
        m_prompter->chooseFile(std::nullopt);
        button->click();
        QCOMPARE(m_prompter->calls.size(), 1);
        QCOMPARE(m_prompter->calls.front().kind, PrompterCall::OpenFile);
    }

    void mostRecentFirstEightAtMostOnceEach()
    {
        for (int n = 0; n < 10; ++n)
            m_window->openFile(project(QStringLiteral("p%1.qlv").arg(n)));
        m_window->openFile(project(QStringLiteral("p4.qlv")));
        const QStringList expected{"&1 p4.qlv", "&2 p9.qlv", "&3 p8.qlv", "&4 p7.qlv",
                                   "&5 p6.qlv", "&6 p5.qlv", "&7 p3.qlv", "&8 p2.qlv"};
        QCOMPARE(entries(), expected);
        QCOMPARE(entry(1)->toolTip(), m_rig->path("p4.qlv"));
        QCOMPARE(entry(1)->statusTip(), m_rig->path("p4.qlv"));
        QVERIFY(m_prompter->calls.isEmpty());

        QVERIFY(reopen());
        QCOMPARE(entries(), expected);
        QCOMPARE(readSettingsFile(iniPath()).recentFiles.front(), m_rig->path("p4.qlv"));
    }

    void onlyProjectsOpenedUnderTheirOwnNameCount()
    {
        // An image and New load the working copy: no project of the user's.
        QVERIFY(m_window->project().compileTo(m_rig->path("image.bin")));
        m_window->openFile(m_rig->path("image.bin"));
        QVERIFY(m_window->project().projectLoaded());
        m_window->NewExecute();
        QCOMPARE(entries(), QStringList{"No recent projects"});
        QVERIFY(!QFile::exists(iniPath()));

        // Save under a new name makes that file the project.
        m_prompter->chooseFile(m_rig->path("saved"));
        m_window->SaveExecute();
        QCOMPARE(entries(), QStringList{"&1 saved.qlv"});
        QCOMPARE(parseRecentFiles(readAll(iniPath())), QStringList{m_rig->path("saved.qlv")});
    }

    void anEntryOpensAfterTheUnsavedQuestion()
    {
        m_window->openFile(project("a.qlv"));
        m_window->openFile(project("b.qlv"));
        m_window->project().setModified(true);
        m_prompter->answer(Answer::Cancel);
        entry(2)->trigger();
        QCOMPARE(m_prompter->calls.size(), 1);
        QCOMPARE(m_prompter->calls.front().kind, PrompterCall::YesNoCancel);
        QCOMPARE(m_window->project().currentFile(), m_rig->path("b.qlv"));

        m_prompter->clear();
        m_prompter->answer(Answer::No);
        entry(2)->trigger();
        QCOMPARE(m_window->project().currentFile(), m_rig->path("a.qlv"));
        QCOMPARE(entries(), (QStringList{"&1 a.qlv", "&2 b.qlv"}));
    }

    void aVanishedFileLeavesTheListWithANotice()
    {
        m_window->openFile(project("gone.qlv"));
        m_window->openFile(project("kept.qlv"));
        QVERIFY(QFile::remove(m_rig->path("gone.qlv")));
        entry(2)->trigger();
        QCOMPARE(m_prompter->notices(),
                 QStringList{m_rig->path("gone.qlv") +
                             " no longer exists; it was removed from the list."});
        QCOMPARE(entries(), QStringList{"&1 kept.qlv"});
        QCOMPARE(m_window->project().currentFile(), m_rig->path("kept.qlv"));
        QVERIFY(reopen());
        QCOMPARE(entries(), QStringList{"&1 kept.qlv"});
    }

    void namesAreShownAsTheyAre()
    {
        QVERIFY(QDir(m_rig->dir.path()).mkdir("other"));
        m_window->openFile(project("Rock & Roll.qlv"));
        m_window->openFile(project("tv.qlv"));
        m_window->openFile(project("other/tv.qlv"));
        // "&" shown as such, and projects of one name told apart by their folders.
        QCOMPARE(entries(),
                 (QStringList{"&1 tv.qlv  (" + m_rig->path("other") + ")",
                              "&2 tv.qlv  (" + m_rig->dir.path() + ")", "&3 Rock && Roll.qlv"}));
        QCOMPARE(parseRecentFiles(readAll(iniPath())).last(), m_rig->path("Rock & Roll.qlv"));
    }

    void theOtherSectionsStayAsTheyWere()
    {
        // LF line ends, a comment, an unknown section and no line end at the very end.
        const QByteArray before = "[COMPORT]\nPORT=3\n; kept\n[Recent]\nFile1=/old/one.qlv\n"
                                  "[OTHER]\nkey=value";
        writeAll(iniPath(), before);
        QVERIFY(reopen());
        QCOMPARE(entries(), QStringList{"&1 one.qlv"});
        m_window->openFile(project("new.qlv"));
        QCOMPARE(readAll(iniPath()), "[COMPORT]\nPORT=3\n; kept\n[OTHER]\nkey=value\r\n[Recent]\r\n"
                                     "File1=" +
                                         m_rig->path("new.qlv").toUtf8() +
                                         "\r\nFile2=/old/one.qlv\r\n");

        // The close writes the window's settings, the list among them.
        QVERIFY(m_window->close());
        QCOMPARE(readSettingsFile(iniPath()).recentFiles,
                 (QStringList{m_rig->path("new.qlv"), "/old/one.qlv"}));
    }

    void parsedAsWritten_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("numbered order")
            << QByteArray("[recent]\r\nfile2=/b.qlv\r\nFILE1=/a.qlv\r\n")
            << QStringList{"/a.qlv", "/b.qlv"};
        QTest::newRow("first key counts")
            << QByteArray("[Recent]\nFile1=/a.qlv\nFile1=/x.qlv\n") << QStringList{"/a.qlv"};
        QTest::newRow("relative, empty and repeated left out")
            << QByteArray("[Recent]\nFile1=a.qlv\nFile2=\nFile3=/b.qlv\nFile4=/b.qlv\n")
            << QStringList{"/b.qlv"};
        QTest::newRow("other sections' keys")
            << QByteArray("[ID]\nFile1=/a.qlv\n") << QStringList{};
        QTest::newRow("UTF-8") << QByteArray("[Recent]\nFile1=/K\xc3\xbc"
                                             "che.qlv\n")
                               << QStringList{QStringLiteral("/K\u00fcche.qlv")};
        QStringList nine;
        QByteArray many = "[Recent]\n";
        for (int n = 1; n <= 9; ++n) {
            many += QStringLiteral("File%1=/p%1.qlv\n").arg(n).toUtf8();
            if (n <= RecentProjectCount)
                nine << QStringLiteral("/p%1.qlv").arg(n);
        }
        QTest::newRow("eight at most") << many << nine;
    }

    void parsedAsWritten()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, files);
        QCOMPARE(parseRecentFiles(ini), files);
        QCOMPARE(parseRecentFiles(withRecentFiles("[ID]\r\nID=2\r\n", files)), files);
    }

    void pathsAnIniLineCannotHoldAreNotListed()
    {
        const QStringList files{"/a.qlv"};
        QCOMPARE(withRecentFirst(files, "/b\n.qlv"), files);
        QCOMPARE(withRecentFirst(files, "/b.qlv "), files);
        QCOMPARE(withRecentFirst(files, "/b.qlv"), (QStringList{"/b.qlv", "/a.qlv"}));
        QCOMPARE(withRecentFiles("[ID]\r\nID=2\r\n[Recent]\r\nFile1=/a.qlv\r\n", {}),
                 QByteArray("[ID]\r\nID=2\r\n"));
    }
};

QTEST_MAIN(TstRecentProjects)
#include "tst_recentprojects.moc"
