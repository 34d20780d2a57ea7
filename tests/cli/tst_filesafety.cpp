// What qlvtool does with files when things go wrong: failing system calls, modes and links,
// signals, files that are not regular, projects that are not whole, a trace aimed at the wrong
// file. Each case runs the built binary on real files.
#include <support/legacyfixture.h>
#include <support/projectfiles.h>
#include <support/records.h>

#include <irdata/eepromimage.h>
#include <irdata/irhextext.h>
#include <pty/pseudoterminal.h>

#include "toolrun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qlv;
using namespace qlv::test;

namespace {

using Run = ToolRun;

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QByteArray imageWith(std::size_t slot, const CodeRecord& record)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n < SlotCount; ++n)
        appendSlot(bytes, n == slot ? std::span<const std::uint8_t>(record)
                                    : std::span<const std::uint8_t>());
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

class TestFileSafety : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_tmp; // the TMPDIR qlvtool sees

    QString path(const QString& name) const { return m_dir->filePath(name); }

    QStringList environment(const QStringList& more = {}) const
    {
        return QStringList{"TMPDIR=" + m_tmp->path()} + more;
    }

    Run qlvtool(const QStringList& args, const QStringList& more = {}) const
    {
        return runQlvtool(m_dir->path(), args, environment(more));
    }

    bool succeeds(const QStringList& args) const
    {
        const Run run = qlvtool(args);
        if (run.exitCode != 0)
            qWarning() << args << "failed:" << run.exitCode << run.err;
        return run.exitCode == 0;
    }

    // Every file in the project folder and the temporary folder, hidden ones included.
    QStringList leftovers() const
    {
        QStringList names;
        for (const QTemporaryDir* dir : {m_dir.get(), m_tmp.get()})
            names +=
                QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        return names;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid() && m_tmp->isValid());
    }

    void failedSystemCallLeavesTheOldFileAndNoTemporary_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("fault");
        for (const char* fault : {"fsync", "rename"}) {
            const QString f = QString::fromLatin1(fault);
            QTest::addRow("new, %s", fault)
                << QStringList{"new", "--force", "old.qlv"} << "old.qlv" << f;
            QTest::addRow("compile, %s", fault)
                << QStringList{"compile", "--force", "p.qlv", "old.bin"} << "old.bin" << f;
            QTest::addRow("import, %s", fault)
                << QStringList{"import", "--force", "image.bin", "old.qlv"} << "old.qlv" << f;
            QTest::addRow("export-hex, %s", fault)
                << QStringList{"export-hex", "--force", "p.qlv", "1", "old.txt"} << "old.txt" << f;
        }
    }

    void failedSystemCallLeavesTheOldFileAndNoTemporary()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, target);
        QFETCH(QString, fault);
        QVERIFY(succeeds({"new", "p.qlv"}));
        QVERIFY(succeeds({"compile", "p.qlv", "image.bin"}));
        for (const char* name : {"old.qlv", "old.bin", "old.txt"})
            QVERIFY(QFile::copy(path(name == QLatin1String("old.qlv") ? "p.qlv" : "image.bin"),
                                path(name)));
        const QByteArray before = readAll(path(target));
        const QStringList files = leftovers();

        const Run run =
            qlvtool(args, {"LD_PRELOAD=" + faultInjectionLibrary(), "QLV_FAULT=" + fault});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Cannot write"), qPrintable(run.err));
        QCOMPARE(readAll(path(target)), before);
        QCOMPARE(leftovers(), files);
    }

    void newFilesFollowTheUmaskAndReplacedOnesKeepTheirMode()
    {
        const mode_t previous = ::umask(027);
        const bool made = succeeds({"new", "p.qlv"}) && succeeds({"compile", "p.qlv", "a.bin"});
        ::umask(previous);
        QVERIFY(made);
        QCOMPARE(modeOf(path("p.qlv")), 0640);
        QCOMPARE(modeOf(path("a.bin")), 0640);

        QVERIFY(QFile::setPermissions(path("a.bin"), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(succeeds({"set-remark", "p.qlv", "1", "x"}));
        QVERIFY(succeeds({"compile", "--force", "p.qlv", "a.bin"}));
        QCOMPARE(modeOf(path("a.bin")), 0644);
    }

    void aLinkedTargetIsReplacedThroughTheLink()
    {
        QVERIFY(succeeds({"new", "p.qlv"}));
        QDir(m_dir->path()).mkdir("real");
        writeAll(path("real/image.bin"), "old");
        QVERIFY(QFile::link("real/image.bin", path("link.bin")));

        QVERIFY(succeeds({"compile", "--force", "p.qlv", "link.bin"}));
        QVERIFY(QFileInfo(path("link.bin")).isSymLink());
        QCOMPARE(QFileInfo(path("real/image.bin")).size(), qint64(ImageSize));
    }

    void filesThatAreNotRegularAreRefusedAtOnce_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("project") << QStringList{"info", "fifo.qlv"} << "fifo.qlv";
        QTest::newRow("image") << QStringList{"import", "fifo.qlv", "new.qlv"} << "fifo.qlv";
        QTest::newRow("hex text") << QStringList{"import-hex", "p.qlv", "1", "fifo.qlv"}
                                  << "fifo.qlv";
        QTest::newRow("endless device")
            << QStringList{"import-hex", "p.qlv", "1", "/dev/zero"} << "/dev/zero";
    }

    void filesThatAreNotRegularAreRefusedAtOnce()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        QVERIFY(succeeds({"new", "p.qlv"}));
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.qlv")).constData(), 0600), 0);
        const QByteArray project = readAll(path("p.qlv"));
        const Run run = qlvtool(args); // a blocked read would end in the runner's time-out (-1)
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(named) && run.err.contains("not a regular file"),
                 qPrintable(run.err));
        QCOMPARE(readAll(path("p.qlv")), project);
        QVERIFY(!QFile::exists(path("new.qlv")));
    }

    void aHexTextOverOneMebibyteIsRefused()
    {
        QVERIFY(succeeds({"new", "p.qlv"}));
        QByteArray huge = QByteArray::fromStdString(writeIrHexText(oneCodeRecord(48)));
        huge += QByteArray(int(MaxHexTextFile), ' ');
        writeAll(path("huge.txt"), huge);
        const Run run = qlvtool({"import-hex", "p.qlv", "1", "huge.txt"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Invalid IR data file!"), qPrintable(run.err));
    }

    void projectsWithoutTheWholeSlotRangeAreRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("513 rows") << R"(INSERT INTO KeyInfo ("ID") VALUES (100))"
                                  << "The project has 513 key rows; a project holds the IDs 1 "
                                     "to 512 once each.";
        QTest::newRow("511 rows") << R"(DELETE FROM KeyInfo WHERE "ID" = 512)"
                                  << "The project has 511 key rows";
        QTest::newRow("duplicate") << R"(UPDATE KeyInfo SET "ID" = 3 WHERE "ID" = 4)"
                                   << "ID 3 more than once";
        QTest::newRow("zero") << R"(UPDATE KeyInfo SET "ID" = 0 WHERE "ID" = 1)"
                              << "a key row with ID 0";
        QTest::newRow("negative") << R"(UPDATE KeyInfo SET "ID" = -5 WHERE "ID" = 1)"
                                  << "a key row with ID -5";
        QTest::newRow("above 512") << R"(UPDATE KeyInfo SET "ID" = 513 WHERE "ID" = 1)"
                                   << "a key row with ID 513";
        QTest::newRow("2^32 + 1") << R"(UPDATE KeyInfo SET "ID" = 4294967297 WHERE "ID" = 1)"
                                  << "a key row with ID 4294967297";
        QTest::newRow("not a number") << R"(UPDATE KeyInfo SET "ID" = 'one' WHERE "ID" = 1)"
                                      << "not a whole number";
        QTest::newRow("ReCyc") << "PRAGMA ignore_check_constraints = ON;"
                                  R"(UPDATE ModelInfo SET "ReCyc" = 300)"
                               << "\"ReCyc\" holds a byte; 300 is out of range.";
    }

    void projectsWithoutTheWholeSlotRangeAreRefused()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        QVERIFY(succeeds({"new", "p.qlv"}));
        execSql(path("p.qlv"), sql);
        for (const char* command : {"info", "list"}) {
            const Run run = qlvtool({command, "p.qlv"});
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(message), qPrintable(run.err));
        }
        const Run compile = qlvtool({"compile", "p.qlv", "out.bin"});
        QCOMPARE(compile.exitCode, 1);
        QVERIFY(!QFile::exists(path("out.bin")));
    }

    void aSevenDigitCarrierIsStored()
    {
        // Carrier period 1 gives "1844000": one more character than the original column held.
        const CodeRecord record = oneCodeRecord(1, "FAST");
        writeAll(path("image.bin"), imageWith(115, record));
        QVERIFY(succeeds({"import", "image.bin", "p.qlv"}));
        const Run list = qlvtool({"list", "p.qlv"});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(list.out.split(u'\n').value(115), QStringLiteral("116\tFAST\tNormal\t1844000\t"));

        writeAll(path("slow.txt"), QByteArray::fromStdString(writeIrHexText(oneCodeRecord(2))));
        QVERIFY(succeeds({"import-hex", "p.qlv", "7", "slow.txt"}));
        QCOMPARE(qlvtool({"list", "p.qlv"}).out.split(u'\n').value(6),
                 QStringLiteral("7\t\tNormal\t922000\t"));
    }

    void aFileOfTheSixCharacterRuleOpensAndTakesSevenDigits()
    {
        QVERIFY(succeeds({"new", "p.qlv"}));
        // The KeyInfo table as files were made before "Carry" grew to seven characters.
        execSql(path("p.qlv"), R"(
            CREATE TABLE KeyInfo_old ("ID" SMALLINT,
                "Function" VARCHAR(16)  CHECK (length("Function") <= 16),
                "Format"   VARCHAR(7)   CHECK (length("Format") <= 7),
                "Carry"    VARCHAR(6)   CHECK (length("Carry") <= 6),
                "IR Data"  BLOB,
                "Remark"   VARCHAR(120) CHECK (length("Remark") <= 120));
            INSERT INTO KeyInfo_old SELECT * FROM KeyInfo;
            DROP TABLE KeyInfo;
            ALTER TABLE KeyInfo_old RENAME TO KeyInfo;
            CREATE INDEX "编号" ON KeyInfo ("ID");)");
        QVERIFY(succeeds({"set-remark", "p.qlv", "3", "before"}));
        writeAll(path("fast.txt"), QByteArray::fromStdString(writeIrHexText(oneCodeRecord(1))));
        QVERIFY(succeeds({"import-hex", "p.qlv", "116", "fast.txt"}));
        const QStringList lines = qlvtool({"list", "p.qlv"}).out.split(u'\n');
        QCOMPARE(lines.value(115), QStringLiteral("116\t\tNormal\t1844000\t"));
        QCOMPARE(lines.value(2), QStringLiteral("3\t\t\t\tbefore"));
        QCOMPARE(lines.size(), 513);
    }

    void aTraceNeverReplacesTheCommandsOwnFiles_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("the project itself")
            << QStringList{"download", "p.qlv", "--port", "/nonexistent/tty",
                           "--trace",  "p.qlv", "--force"}
            << "one of this command's own files";
        QTest::newRow("the port map")
            << QStringList{"upload",  "p.qlv",   "--port",  "COM1",   "--port-map",
                           "map.ini", "--trace", "map.ini", "--force"}
            << "one of this command's own files";
        QTest::newRow("an existing file without --force")
            << QStringList{"download", "p.qlv", "--port", "/nonexistent/tty", "--trace", "kept.txt"}
            << "kept.txt exists; --force replaces it.";
        QTest::newRow("a folder that does not exist")
            << QStringList{"download",         "p.qlv",   "--port",
                           "/nonexistent/tty", "--trace", "absent/trace.txt"}
            << "Cannot write absent/trace.txt";
    }

    void aTraceNeverReplacesTheCommandsOwnFiles()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QVERIFY(succeeds({"new", "p.qlv"}));
        writeAll(path("map.ini"), "[PORTS]\nCOM1=/nonexistent/tty\n");
        writeAll(path("kept.txt"), "kept");
        const QByteArray project = readAll(path("p.qlv"));
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        // Refused before the port is touched.
        QVERIFY2(!run.err.contains("serial port"), qPrintable(run.err));
        QCOMPARE(readAll(path("p.qlv")), project);
        QCOMPARE(readAll(path("map.ini")), QByteArray("[PORTS]\nCOM1=/nonexistent/tty\n"));
        QCOMPARE(readAll(path("kept.txt")), QByteArray("kept"));
    }

    void aSignalLeavesNoTemporaryFolder_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void aSignalLeavesNoTemporaryFolder()
    {
        QFETCH(int, signal);
        // A Windows version's file is converted into the temporary folder, which then stays
        // while the download waits for a device that never answers.
        QLV_REQUIRE_LEGACY_FIXTURE(legacy);
        pty::PseudoTerminal line;
        QVERIFY(line.isValid());
        QProcess tool;
        tool.setWorkingDirectory(m_dir->path());
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("TMPDIR", m_tmp->path());
        tool.setProcessEnvironment(variables);
        tool.start(QStringLiteral(QLVTOOL_PATH), {"download", legacy, "--port", line.slavePath()});
        QVERIFY(tool.waitForStarted());
        pollfd frame{line.master(), POLLIN, 0};
        QCOMPARE(::poll(&frame, 1, 20000), 1); // the frame is on the line: the wait has begun
        QVERIFY(!QDir(m_tmp->path()).entryList({"qlvtool-*"}, QDir::Dirs).isEmpty());

        ::kill(pid_t(tool.processId()), signal);
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(m_tmp->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void foldersOfDeadRunsAreRemovedByTheNext()
    {
        // A process that has ended, for the lock of a run killed outright.
        QProcess ended;
        ended.start("true");
        QVERIFY(ended.waitForStarted());
        const qint64 deadPid = ended.processId();
        QVERIFY(ended.waitForFinished());

        QDir tmp(m_tmp->path());
        for (const auto& [name, pid] : {std::pair{"qlvtool-dead01", deadPid},
                                        std::pair{"qlvtool-alive1", qint64(::getpid())}}) {
            QVERIFY(tmp.mkdir(name));
            const QString folder = tmp.filePath(QString::fromLatin1(name));
            writeAll(folder + "/Temp.~tmp", QByteArray(1000, 'x'));
            // The lock file as its writer left it, naming that process.
            const QString lockPath = folder + "/Temp.~tmp.lock";
            QByteArray content;
            {
                QLockFile lock(lockPath);
                QVERIFY(lock.tryLock());
                content = readAll(lockPath);
            }
            writeAll(lockPath, QByteArray::number(pid) + content.mid(content.indexOf('\n')));
        }
        QVERIFY(succeeds({"new", "p.qlv"}));
        QCOMPARE(tmp.entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"qlvtool-alive1"}));
    }

    void readingCommandsMakeNoTemporaryFolder()
    {
        QVERIFY(succeeds({"new", "p.qlv"}));
        for (const QStringList& args : {QStringList{"info", "p.qlv"}, QStringList{"list", "p.qlv"},
                                        QStringList{"compile", "p.qlv", "i.bin"},
                                        QStringList{"export-hex", "p.qlv", "1", "one.txt"}}) {
            QVERIFY(succeeds(args));
            QCOMPARE(QDir(m_tmp->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestFileSafety)
#include "tst_filesafety.moc"
