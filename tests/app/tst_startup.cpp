// qlv's command line: the answers given without a window, the file opened after start-up, and
// the working copy kept apart from the settings.
#include <app/mainwindow.h>
#include <app/startup.h>
#include <device/devicelink.h>
#include <support/projectfiles.h>
#include <support/ptypeer.h>
#include <support/scriptedprompter.h>

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;
using namespace qlv::test;

Q_DECLARE_METATYPE(qlv::StartupRequest::Action)

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<StartupRequest::Action>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");

        QTest::newRow("nothing") << QStringList{} << StartupRequest::Window << ""
                                 << "";
        QTest::newRow("a file") << QStringList{"remote.qlv"} << StartupRequest::Window
                                << "remote.qlv"
                                << "";
        QTest::newRow("a file after --")
            << QStringList{"--", "-odd.qlv"} << StartupRequest::Window << "-odd.qlv"
            << "";
        QTest::newRow("help") << QStringList{"a.qlv", "--help"} << StartupRequest::Help << ""
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << StartupRequest::Version << ""
                                 << "";
        QTest::newRow("unknown option")
            << QStringList{"--colour"} << StartupRequest::UsageError << ""
            << "unknown option \"--colour\".";
        QTest::newRow("two files")
            << QStringList{"a.qlv", "b.qlv"} << StartupRequest::UsageError << ""
            << "one file at a time, 2 given.";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(StartupRequest::Action, action);
        QFETCH(QString, file);
        QFETCH(QString, message);
        const StartupRequest request = parseStartup(arguments);
        QCOMPARE(request.action, action);
        QCOMPARE(request.file, file);
        QCOMPARE(request.message, message);
    }

    // No display at all: --help and --version still answer, on stdout, with status 0.
    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expectedStart");
        QTest::newRow("--version") << "--version"
                                   << "qlv 0.";
        QTest::newRow("--help") << "--help"
                                << "Usage: qlv [FILE]";
    }

    void answersWithoutDisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, expectedStart);
        QProcess qlv;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        qlv.setProcessEnvironment(env);
        qlv.start(QStringLiteral(QLV_PATH), {option});
        QVERIFY(qlv.waitForFinished(30000));
        QCOMPARE(qlv.exitStatus(), QProcess::NormalExit);
        QCOMPARE(qlv.exitCode(), 0);
        QVERIFY2(QString::fromUtf8(qlv.readAllStandardOutput()).startsWith(expectedStart),
                 qPrintable(option));
        QCOMPARE(qlv.readAllStandardError(), QByteArray());
    }

    void unknownOptionIsOneLine()
    {
        QProcess qlv;
        qlv.start(
            QStringLiteral(QLV_PATH),
            {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--colour")});
        QVERIFY(qlv.waitForFinished(30000));
        QCOMPARE(qlv.exitCode(), 2);
        // Qt may say something of its own first (a missing XDG_RUNTIME_DIR).
        const QString err = QString::fromUtf8(qlv.readAllStandardError());
        QVERIFY2(
            err.endsWith(QStringLiteral("qlv: unknown option \"--colour\".\nTry 'qlv --help'.\n")),
            qPrintable(err));
    }

    // The file named on the command line is opened as Open opens it, without the dialog; the
    // working copy lives in the state folder and nothing of it in the config folder.
    void opensFileAfterStartUp()
    {
        QTemporaryDir dir;
        const DataFolders folders{dir.filePath(QStringLiteral("config")),
                                  dir.filePath(QStringLiteral("state"))};
        QVERIFY(QDir().mkpath(folders.config));
        QVERIFY(QDir().mkpath(folders.state));
        PtyPeer line;
        QVERIFY(line.isValid());
        writeAll(folders.config + QStringLiteral("/ports.ini"),
                 QStringLiteral("[PORTS]\nCOM1=%1\n").arg(line.slavePath()).toUtf8());
        const QString project = dir.filePath(QStringLiteral("remote.qlv"));
        writeTemplateCopy(project);

        ScriptedPrompter prompter;
        MainWindow window(prompter, folders);
        QVERIFY(QDir(folders.state).entryList({QStringLiteral("Temp*.~tmp")}).size() == 1);
        QVERIFY(QDir(folders.config).entryList({QStringLiteral("Temp*")}).isEmpty());

        window.openFile(project);
        QCOMPARE(window.project().currentFile(), project);
        QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(u'\n')));
        QCOMPARE(prompter.notices(), QStringList());
    }

    // The saved port cannot be opened: the box comes over the shown window, from the event
    // loop, as qlv starts it; the port panel says so.
    void portErrorAfterTheWindowIsShown()
    {
        QTemporaryDir dir;
        writeAll(dir.filePath(QStringLiteral("ports.ini")),
                 QStringLiteral("[PORTS]\nCOM1=%1\n")
                     .arg(dir.filePath(QStringLiteral("no-such-tty")))
                     .toUtf8());
        struct WatchingPrompter : ScriptedPrompter {
            QWidget* window = nullptr;
            QList<bool> overShownWindow;
            void tell(const Notice& notice) override
            {
                overShownWindow << (window && window->isVisible());
                ScriptedPrompter::tell(notice);
            }
        } prompter;
        MainWindow window(prompter, DataFolders{dir.path(), dir.path()},
                          MainWindow::PortOpening::Deferred);
        prompter.window = &window;
        QCOMPARE(prompter.notices(), QStringList());
        startWindow(window, QString());
        QCOMPARE(prompter.notices(), QStringList());
        QTRY_COMPARE(prompter.notices(), QStringList{"Error opening serial port!"});
        QCOMPARE(prompter.overShownWindow, QList<bool>{true});
        QCOMPARE(window.findChild<QLabel*>("StatusBar1Panel1")->text(), QStringLiteral("No port"));
    }

    // A port that opens is open once start-up is through.
    void savedPortOpenedAfterStartUp()
    {
        QTemporaryDir dir;
        PtyPeer line;
        QVERIFY(line.isValid());
        writeAll(dir.filePath(QStringLiteral("ports.ini")),
                 QStringLiteral("[PORTS]\nCOM1=%1\n").arg(line.slavePath()).toUtf8());
        ScriptedPrompter prompter;
        MainWindow window(prompter, DataFolders{dir.path(), dir.path()},
                          MainWindow::PortOpening::Deferred);
        QVERIFY(!window.deviceLink().comm().portOpen());
        startWindow(window, QString());
        QTRY_VERIFY(window.deviceLink().comm().portOpen());
        QCOMPARE(window.findChild<QLabel*>("StatusBar1Panel1")->text(), QStringLiteral("COM1"));
        QCOMPARE(prompter.notices(), QStringList());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
