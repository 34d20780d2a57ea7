// qlvtool by the shell's conventions: one-line usage errors, every message under "qlvtool: "
// with its file, output that cannot be written is a failure, and --version.
#include "toolrun.h"

#include <support/ptypeer.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;
using Run = test::ToolRun;

class TestConventions : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    Run qlvtool(const QStringList& args) const { return test::runQlvtool(m_dir->path(), args); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(test::qlvtoolSucceeds(m_dir->path(), {"new", "remote"}));
    }

    void usageErrorIsOneLineAndAPointer_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        QTest::newRow("no command")
            << QStringList{} << "qlvtool: No command given.\nTry 'qlvtool --help'.\n";
        QTest::newRow("unknown command")
            << QStringList{"frobnicate", "remote"}
            << "qlvtool: Unknown command \"frobnicate\".\nTry 'qlvtool --help'.\n";
        QTest::newRow("missing argument") << QStringList{"compile", "remote"}
                                          << "qlvtool: \"compile\" takes 2 arguments, 1 given.\n"
                                             "Try 'qlvtool compile --help'.\n";
        QTest::newRow("unknown option")
            << QStringList{"list", "--all", "remote"}
            << "qlvtool: \"list\" takes no option \"--all\".\nTry 'qlvtool list --help'.\n";
        QTest::newRow("bad ID")
            << QStringList{"decode", "remote", "0"}
            << "qlvtool: ID must be a key slot number from 1 to 512, not \"0\".\n"
               "Try 'qlvtool decode --help'.\n";
        QTest::newRow("COM9") << QStringList{"download", "remote", "--port", "COM9"}
                              << "qlvtool: --port takes COM1 to COM8 or a device path, not "
                                 "\"COM9\".\nTry 'qlvtool download --help'.\n";
    }

    void usageErrorIsOneLineAndAPointer()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, err);
        QCOMPARE(run.out, QString());
    }

    void failureNamesItsFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        QTest::newRow("decode, empty slot") << QStringList{"decode", "remote", "5"}
                                            << "qlvtool: remote.qlv: Slot 5 holds no code.\n";
        QTest::newRow("new over a project")
            << QStringList{"new", "remote"} << "qlvtool: remote.qlv: File already exist.\n";
        QTest::newRow("compile over an image") << QStringList{"compile", "remote", "taken"}
                                               << "qlvtool: taken.bin: File already exist.\n";
        QTest::newRow("hex text of the wrong size")
            << QStringList{"import-hex", "remote", "1", "short.txt"}
            << "qlvtool: short.txt: Invalid IR data file!\n";
        QTest::newRow("relative port that is not there")
            << QStringList{"download", "remote", "--port", "NoPort"}
            << "qlvtool: @/NoPort: Error opening serial port!\n"
               "qlvtool: @/NoPort: No such file or directory\n";
    }

    void failureNamesItsFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        QFile taken(m_dir->filePath("taken.bin"));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.close();
        QFile hex(m_dir->filePath("short.txt"));
        QVERIFY(hex.open(QIODevice::WriteOnly));
        hex.write("00 01 02\n");
        hex.close();
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, err.replace(u'@', m_dir->path()));
    }

    // A full disk or a closed reader is an error, not a silent success.
    void unwritableOutputFails_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("list") << QStringList{"list", "remote"};
        QTest::newRow("info") << QStringList{"info", "remote"};
        QTest::newRow("help") << QStringList{"--help"};
        QTest::newRow("version") << QStringList{"--version"};
    }

    void unwritableOutputFails()
    {
        QFETCH(QStringList, args);
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full here");
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(QLVTOOL_PATH), args);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
                 QStringLiteral("qlvtool: standard output: No space left on device.\n"));
    }

    // A pseudo-terminal is no port the system lists, but one ports.ini maps is shown with its
    // COM name and whether it can be opened, as is a mapping to nothing.
    void portsShowsMappedDevices()
    {
        test::PtyPeer line;
        QVERIFY(line.isValid());
        const QString missing = m_dir->filePath("missing");
        QFile map(m_dir->filePath("ports.ini"));
        QVERIFY(map.open(QIODevice::WriteOnly));
        map.write(
            QStringLiteral("[PORTS]\nCOM2=%1\nCOM3=%2\n").arg(line.slavePath(), missing).toUtf8());
        map.close();

        const Run run = qlvtool({"ports", "--port-map", "ports.ini"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(line.slavePath() + "\tCOM2\t\t\t\t\tok"), qPrintable(run.out));
        QVERIFY2(lines.contains(missing + "\tCOM3\t\t\t\t\tno: No such file or directory"),
                 qPrintable(run.out));
        for (const QString& l : lines)
            QCOMPARE(l.count(u'\t'), 6);
    }

    void versionNamesTheProgram()
    {
        const Run run = qlvtool({"--version"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("qlvtool %1").arg(QLatin1String(QLV_VERSION))),
                 qPrintable(run.out));
        QCOMPARE(run.out.count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestConventions)
#include "tst_conventions.moc"
