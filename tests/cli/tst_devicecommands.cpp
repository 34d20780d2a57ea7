// qlvtool's device commands against k817t-sim, both run as a user runs them: the messages and
// exit status of every ending, the trace, the round trip through the simulator's EEPROM, and
// Ctrl+C as the window's Cancel and Stop.
#include "toolrun.h"
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <pty/pseudoterminal.h>
#include <support/simulatorprocess.h>

#include <csignal>
#include <memory>

#include <poll.h>
#include <unistd.h>

namespace {

using Run = qlv::test::ToolRun;

// The simulator for one test, stopped (SIGTERM) when the test ends.
struct Simulator : qlv::test::SimulatorProcess {
    Simulator(const QString& folder, const QStringList& options)
        : SimulatorProcess(QStringLiteral(K817TSIM_PATH), options, folder)
    {
    }
};

} // namespace

class TestDeviceCommands : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    Run qlvtool(const QStringList& args) const
    {
        return qlv::test::runQlvtool(m_dir->path(), args);
    }

    bool succeeds(const QStringList& args) const
    {
        return qlv::test::qlvtoolSucceeds(m_dir->path(), args);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // stderr's lines without "qlvtool: " and the port's prefix. A message that names the port
    // goes without the latter, and a pseudo-terminal's name is a number ("/dev/pts/4"), which
    // a message may hold as well.
    static QString messages(const QString& err, const QString& port)
    {
        QStringList lines = err.split(u'\n');
        for (QString& line : lines) {
            if (line.startsWith(QLatin1String("qlvtool: ")))
                line.remove(0, 9);
            if (line.startsWith(port + QLatin1String(": ")))
                line.remove(0, port.size() + 2);
        }
        return lines.join(u'\n');
    }

    // qlvtool started and, after delayMs, interrupted as Ctrl+C does.
    Run interrupted(const QStringList& args, int delayMs) const
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(QLVTOOL_PATH), args);
        Run run;
        if (!process.waitForStarted(5000))
            return run;
        QTest::qWait(delayMs);
        ::kill(pid_t(process.processId()), SIGINT);
        if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(succeeds({"new", "remote"}));
    }

    void learnDownloadUploadRoundTrip()
    {
        Simulator sim(m_dir->path(), {"--eeprom", "eeprom.bin", "--learn-delay", "100"});
        QVERIFY(!sim.path().isEmpty());

        const Run learn2 =
            qlvtool({"learn", "remote", "3,1", "--port", sim.path(), "--format", "2"});
        QCOMPARE(learn2.exitCode, 0);
        QCOMPARE(learn2.out, QStringLiteral("1: RC5/RC6 36156 Hz\n3: RC5/RC6 36156 Hz\n"));
        const Run learn1 = qlvtool({"learn", "remote", "7", "--port", sim.path(), "--time", "3"});
        QCOMPARE(learn1.exitCode, 0);
        QCOMPARE(learn1.out, QStringLiteral("7: Normal 37632 Hz\n"));

        const Run download = qlvtool({"download", "remote", "--port", sim.path()});
        QCOMPARE(download.exitCode, 0);
        QCOMPARE(download.out, QStringLiteral("Download completed.\n"));
        // The device now holds the project's image byte for byte.
        QVERIFY(succeeds({"compile", "remote", "image"}));
        QVERIFY(readFile("eeprom.bin") == readFile("image.bin"));

        QVERIFY(succeeds({"new", "copy"}));
        const Run upload = qlvtool({"upload", "copy", "--port", sim.path()});
        QCOMPARE(upload.exitCode, 0);
        QCOMPARE(upload.out, QStringLiteral("Upload completed.\n"));
        QCOMPARE(qlvtool({"list", "copy"}).out, qlvtool({"list", "remote"}).out);
        QCOMPARE(qlvtool({"decode", "copy", "7"}).out, qlvtool({"decode", "remote", "7"}).out);
        QVERIFY(qlvtool({"decode", "copy", "1"}).out.contains("B first"));
    }

    void traceShowsEveryByte()
    {
        Simulator sim(m_dir->path(), {"--learn-delay", "50"});
        QVERIFY(succeeds({"learn", "remote", "2", "--port", sim.path()}));
        QVERIFY(succeeds({"send", "remote", "2", "--port", sim.path(), "--id", "F", "--ports",
                          "0x21", "--trace", "send.txt"}));
        const QStringList lines = QString::fromLatin1(readFile("send.txt")).split(u'\n');
        QStringList events;
        for (const QString& line : lines)
            events << line.section(u' ', 1, -1, QString::SectionSkipEmpty);
        QCOMPARE(events.at(0), QStringLiteral("open %1 at 9600 bit/s: opened").arg(sim.path()));
        QCOMPARE(events.at(1), QStringLiteral("> E0 0E 43 00 01 02 30 30 30 EF"));
        QCOMPARE(events.at(2), QStringLiteral("< 41"));
        QVERIFY(events.at(3).startsWith(QStringLiteral("> 72 ")));
        QVERIFY(events.contains(QStringLiteral("> E0 0E 43 00 A0 AA 00 00 00 EF")));
        QCOMPARE(events.at(events.indexOf("> E0 0E 43 00 A0 AA 00 00 00 EF") + 1),
                 QStringLiteral("< 06 00 00 00"));
        // Each line starts with the milliseconds since the trace began.
        bool isNumber = false;
        lines.at(1).section(u' ', 0, 0, QString::SectionSkipEmpty).toDouble(&isNumber);
        QVERIFY(isNumber);
    }

    void endingsExitOneWithTheirMessage_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("download, no device") << QStringList{"--silent"} << "download"
                                             << QStringList{"No found IR device.Download failed!"};
        QTest::newRow("download, slot 3 unacknowledged")
            << QStringList{"--stop-ack-at", "3"} << "download"
            << QStringList{"No found IR device.Download failed!"};
        // The wait for the acknowledgement fails, and so does the return to 9600 bit/s.
        QTest::newRow("download, line closed at slot 10")
            << QStringList{"--close-at", "10"} << "download"
            << QStringList{"No found IR device.Download failed!", "Error opening serial port!"};
        QTest::newRow("upload, line closed at slot 10")
            << QStringList{"--close-at", "10"} << "upload"
            << QStringList{"Time out,Upload failed!", "Error opening serial port!"};
        QTest::newRow("upload, no device") << QStringList{"--silent"} << "upload"
                                           << QStringList{"No found IR device,Upload failed!"};
        QTest::newRow("upload, slot 5 short")
            << QStringList{"--short-at", "5"} << "upload" << QStringList{"Time out,Upload failed!"};
        QTest::newRow("upload, slot 5 late") << QStringList{"--late", "3500", "--late-at", "5"}
                                             << "upload" << QStringList{"Time out,Upload failed!"};
        QTest::newRow("learn, no device")
            << QStringList{"--silent"} << "learn" << QStringList{"No found IR device!"};
        QTest::newRow("send, no device")
            << QStringList{"--mute"} << "send" << QStringList{"No found IR device!"};
        QTest::newRow("send, busy")
            << QStringList{"--busy"} << "send"
            << QStringList{"The device is busy (it answered \"B\"); nothing was sent."};
    }
    void endingsExitOneWithTheirMessage()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(QString, command);
        QFETCH(QStringList, messages);
        QVERIFY(succeeds({"import-hex", "remote", "1", QFINDTESTDATA("send-record.txt")}));
        const QByteArray before = readFile("remote.qlv");
        Simulator sim(m_dir->path(), simOptions);
        QStringList args{command, "remote"};
        if (command == "learn" || command == "send")
            args << "1";
        const Run run = qlvtool(args << "--port" << sim.path());
        QCOMPARE(run.exitCode, 1);
        // The open error names the device and the system's reason on the line below it.
        const QString prefix = QStringLiteral("qlvtool: %1: ").arg(sim.path());
        QStringList lines = run.err.split(u'\n');
        QCOMPARE(lines.takeLast(), QString());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            if (lines.at(i) == prefix + QLatin1String("Error opening serial port!")) {
                QVERIFY2(lines.at(i + 1).startsWith(prefix), qPrintable(run.err));
                lines.removeAt(i + 1);
            }
        }
        QStringList expected;
        for (const QString& message : messages)
            expected << prefix + message;
        QCOMPARE(lines, expected);
        QCOMPARE(run.out, QString());
        // A failed upload or learn leaves the project file as it was.
        QVERIFY(readFile("remote.qlv") == before);
    }

    void portsAreMappedAndChecked()
    {
        Simulator sim(m_dir->path(), {"--busy"});
        QFile map(path("ports.ini"));
        QVERIFY(map.open(QIODevice::WriteOnly));
        map.write("[PORTS]\nCOM3=" + sim.path().toLocal8Bit() + "\n");
        map.close();
        // The mapped COM3 reaches the simulator (which refuses, as told); COM4 is unmapped.
        const Run mapped = qlvtool({"download", "remote", "--port", "COM3", "--port-map",
                                    "ports.ini", "--trace", "t.txt"});
        QCOMPARE(mapped.exitCode, 0);
        QVERIFY(readFile("t.txt").contains(sim.path().toLocal8Bit()));
        const Run missing = qlvtool(
            {"download", "remote", "--port", path("no-such-tty"), "--port-map", "ports.ini"});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(missing.err, QStringLiteral("qlvtool: %1: Error opening serial port!\n"
                                             "qlvtool: %1: No such file or directory\n")
                                  .arg(path("no-such-tty")));
    }

    // A relative --port is a path from the current folder, as any file argument is; --quiet
    // leaves nothing but errors, and a progress line needs a terminal.
    void relativePortsAndQuiet_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("quietRun");
        QTest::newRow("tty") << "tty" << false;
        QTest::newRow("./tty") << "./tty" << false;
        QTest::newRow("./tty, quiet") << "./tty" << true;
    }
    void relativePortsAndQuiet()
    {
        QFETCH(QString, port);
        QFETCH(bool, quietRun);
        Simulator sim(m_dir->path(), {});
        QVERIFY(QFile::link(sim.path(), path("tty")));
        QStringList args{"download", "remote", "--port", port};
        if (quietRun)
            args << "--quiet";
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, quietRun ? QString() : QStringLiteral("Download completed.\n"));
        QCOMPARE(run.err, QString());
    }

    // stderr on a terminal gets one line rewritten in place up to the last slot; --quiet
    // leaves it out as it leaves the completion out.
    void progressOnlyOnATerminal_data()
    {
        QTest::addColumn<bool>("quietRun");
        QTest::newRow("terminal") << false;
        QTest::newRow("terminal, quiet") << true;
    }
    void progressOnlyOnATerminal()
    {
        QFETCH(bool, quietRun);
        Simulator sim(m_dir->path(), {});
        qlv::pty::PseudoTerminal terminal;
        QVERIFY(terminal.isValid());
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.setStandardErrorFile(terminal.slavePath());
        QStringList args{"download", "remote", "--port", sim.path()};
        if (quietRun)
            args << "--quiet";
        process.start(QStringLiteral(QLVTOOL_PATH), args);

        // Read as a terminal would while it runs: a full terminal buffer would stall it.
        QByteArray shown;
        auto drain = [&] {
            pollfd ready{terminal.master(), POLLIN, 0};
            char buffer[4096];
            while (::poll(&ready, 1, 20) > 0) {
                const ssize_t n = ::read(terminal.master(), buffer, sizeof buffer);
                if (n <= 0)
                    break;
                shown.append(buffer, n);
            }
        };
        QDeadlineTimer deadline(60000);
        while (!process.waitForFinished(20) && !deadline.hasExpired())
            drain();
        drain();
        QCOMPARE(process.state(), QProcess::NotRunning);
        QCOMPARE(process.exitCode(), 0);
        if (quietRun) {
            QCOMPARE(shown, QByteArray());
            return;
        }
        QVERIFY2(shown.contains("\rDownloading... slot 1 of 512, 0%, "), shown.left(200));
        QVERIFY2(shown.contains("\rDownloading... slot 512 of 512, 100%\033[K"), shown.right(200));
        QVERIFY(!shown.contains('\n'));
        // The line is cleared at the end, so the prompt comes back on an empty line.
        QVERIFY(shown.endsWith("\r\033[K"));
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no port") << QStringList{"download", "remote"};
        QTest::newRow("port empty") << QStringList{"upload", "remote", "--port="};
        QTest::newRow("COM9") << QStringList{"upload", "remote", "--port", "COM9"};
        QTest::newRow("ID D") << QStringList{"download", "remote", "--port", "COM1", "--id", "D"};
        QTest::newRow("ID 15") << QStringList{"download", "remote", "--port", "COM1", "--id", "15"};
        QTest::newRow("format 3") << QStringList{"learn", "remote",   "1", "--port",
                                                 "COM1",  "--format", "3"};
        QTest::newRow("time 0") << QStringList{"learn", "remote", "1", "--port",
                                               "COM1",  "--time", "0"};
        QTest::newRow("slot 0 in a list")
            << QStringList{"learn", "remote", "1,0", "--port", "COM1"};
        QTest::newRow("ports 256")
            << QStringList{"send", "remote", "1", "--port", "COM1", "--ports", "256"};
        QTest::newRow("option without value") << QStringList{"send", "remote", "1", "--port"};
        QTest::newRow("send without ID") << QStringList{"send", "remote", "--port", "COM1"};
    }
    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, args);
        const Run run = qlvtool(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains("Try 'qlvtool"), qPrintable(run.err));
    }

    // The read-back after a download: the result on stdout or stderr, and back at 9600 bit/s
    // whichever way it ends.
    void downloadVerify_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("clean") << QStringList{} << 0 << "Download verified: 512 slots identical.\n"
                               << QString();
        QTest::newRow("slot 17 stored wrong") << QStringList{"--flip-at", "16"} << 1 << QString()
                                              << "Verify failed: slot 17 differs.\n";
        QTest::newRow("read-back short at slot 5")
            << QStringList{"--short-at", "5"} << 1 << QString() << "Time out,Verify failed!\n";
        QTest::newRow("download unacknowledged, no read-back")
            << QStringList{"--stop-ack-at", "3"} << 1 << QString()
            << "No found IR device.Download failed!\n";
    }
    void downloadVerify()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QVERIFY(succeeds({"import-hex", "remote", "17", QFINDTESTDATA("send-record.txt")}));
        Simulator sim(m_dir->path(), simOptions << "--eeprom"
                                                << "eeprom.bin");
        const Run run =
            qlvtool({"download", "remote", "--port", sim.path(), "--verify", "--trace", "t.txt"});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, out);
        QCOMPARE(messages(run.err, sim.path()), err);
        const QString trace = QString::fromLatin1(readFile("t.txt")).trimmed();
        QVERIFY(trace.endsWith(QStringLiteral("open %1 at 9600 bit/s: opened").arg(sim.path())));
        // The read-back is the upload's sequence; the project file is not touched.
        const bool readBack =
            exitCode == 0 || simOptions.contains("--flip-at") || simOptions.contains("--short-at");
        QCOMPARE(trace.contains("> E0 00 55 50 4C 4F 41 44 41 4C 4C"), readBack);
    }

    // Slot 1 equal, 2 renamed in the project, 3 learned anew in the project only, 4 emptied in
    // the project, 5 filled in the project only.
    void compareProjectAndDevice()
    {
        Simulator sim(m_dir->path(), {"--learn-delay", "50"});
        const Run identical = qlvtool({"compare", "remote", "--port", sim.path()});
        QCOMPARE(identical.exitCode, 0);
        QCOMPARE(identical.out, QStringLiteral("512 slots: 512 equal, 0 differ.\n"));

        QVERIFY(succeeds({"learn", "remote", "1,2,3,4", "--port", sim.path()}));
        QVERIFY(succeeds({"set-name", "remote", "2", "Power"}));
        QVERIFY(succeeds({"download", "remote", "--port", sim.path()}));
        QVERIFY(succeeds({"set-name", "remote", "2", "Mute"}));
        QVERIFY(succeeds({"learn", "remote", "3", "--port", sim.path()}));
        QFile erased(path("erased.txt"));
        QVERIFY(erased.open(QIODevice::WriteOnly));
        for (int line = 0; line < 16; ++line)
            erased.write(QByteArray("FF ").repeated(32) + "\n");
        erased.close();
        QVERIFY(succeeds({"import-hex", "remote", "4", "erased.txt"}));
        QVERIFY(succeeds({"import-hex", "remote", "5", QFINDTESTDATA("send-record.txt")}));
        const QByteArray before = readFile("remote.qlv");

        const Run run = qlvtool({"compare", "remote", "--port", sim.path()});
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = run.out.split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QStringLiteral("2\tname only\tMute\tNEC1 D=4 S=251 F=17\tPower\t"
                                             "NEC1 D=4 S=251 F=17"));
        QCOMPARE(lines.at(1), QStringLiteral("3\tcode only\t-\tNEC1 D=4 S=251 F=20\t-\t"
                                             "NEC1 D=4 S=251 F=18"));
        QCOMPARE(lines.at(2), QStringLiteral("4\tempty in project\t-\t-\t-\tNEC1 D=4 S=251 F=19"));
        QVERIFY2(lines.at(3).startsWith(QStringLiteral("5\tempty in device\t")),
                 qPrintable(lines.at(3)));
        QCOMPARE(lines.at(4), QStringLiteral("512 slots: 508 equal, 4 differ."));
        QCOMPARE(messages(run.err, sim.path()),
                 QStringLiteral("The device differs from the project in 4 of 512 slots.\n"));
        QVERIFY(readFile("remote.qlv") == before);
    }

    // Two captures of each key: the simulator brings the same key twice (--presses 2), with
    // jitter (--noisy) or a misread bit in the second (--noisy-bad), or another key each time.
    void learnTwice_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("identical")
            << QStringList{"--presses", "2"} << "1" << 0
            << "Slot 3: two identical captures (NEC1 D=4 S=251 F=16)\n3: Normal 37632 Hz\n"
            << QString();
        QTest::newRow("jittered, equal")
            << QStringList{"--presses", "2", "--noisy"} << "1" << 0
            << "Slot 3: two identical captures (NEC1 D=4 S=251 F=16)\n3: Normal 37632 Hz\n"
            << QString();
        QTest::newRow("jittered RC5 pair, equal")
            << QStringList{"--presses", "2", "--noisy"} << "2" << 0
            << "Slot 3: two identical captures (A: RC5 D=0 F=16 T=0 / B: RC5 D=0 F=16 T=1)\n"
               "3: RC5/RC6 36156 Hz\n"
            << QString();
        QTest::newRow("a wrong bit")
            << QStringList{"--presses", "2", "--noisy-bad"} << "1" << 1 << QString()
            << "Slot 3: the two captures differ (NEC1 D=4 S=251 F=16, then NEC1-f16 D=4 S=251 "
               "F=20 E=239).\n1 of 1 rows left unchanged: their captures differed.\n";
        QTest::newRow("another key")
            << QStringList{} << "2" << 1 << QString()
            << "Slot 3: the two captures differ (A: RC5 D=0 F=16 T=0 / B: RC5 D=0 F=16 T=1, then "
               "A: RC5 D=0 F=17 T=0 / B: RC5 D=0 F=17 T=1).\n"
               "1 of 1 rows left unchanged: their captures differed.\n";
    }
    void learnTwice()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(QString, format);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        Simulator sim(m_dir->path(), simOptions << "--learn-delay"
                                                << "50");
        const QByteArray before = readFile("remote.qlv");
        const Run run =
            qlvtool({"learn", "remote", "3", "--port", sim.path(), "--twice", "--format", format});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, out);
        QStringList errLines = messages(run.err, sim.path()).split(u'\n');
        errLines.removeIf([](const QString& line) { return line.contains("press the key"); });
        QCOMPARE(errLines.join(u'\n'), err);
        // A mismatch leaves the row as it was.
        if (exitCode != 0)
            QVERIFY(readFile("remote.qlv") == before);
        else
            QVERIFY(qlvtool({"identify", "remote", "3"}).out.startsWith("3\tA\t"));
    }

    // The sequence's bytes are the same whether the simulator adds jitter or not, and two
    // jittered captures of one key differ in their bytes but not in what they decode to.
    void noisyCapturesDecodeAlike()
    {
        Simulator sim(m_dir->path(), {"--learn-delay", "50", "--presses", "2", "--noisy"});
        QVERIFY(succeeds({"learn", "remote", "1,2", "--port", sim.path()}));
        QVERIFY(succeeds({"export-hex", "remote", "1", "one"}));
        QVERIFY(succeeds({"export-hex", "remote", "2", "two"}));
        QVERIFY(readFile("one.txt") != readFile("two.txt"));
        QCOMPARE(qlvtool({"identify", "remote", "1", "2"}).out,
                 QStringLiteral("1\tA\tNEC1\tD=4 S=251 F=16\n2\tA\tNEC1\tD=4 S=251 F=16\n"));
    }

    void interruptStopsLearningWithEsc()
    {
        Simulator sim(m_dir->path(), {"--learn-delay", "600000"});
        const QByteArray before = readFile("remote.qlv");
        const Run run = interrupted(
            {"learn", "remote", "5", "--port", sim.path(), "--trace", "learn.txt"}, 1500);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.endsWith("Stopped after 0 of 1 rows.\n"), qPrintable(run.err));
        const QByteArray trace = readFile("learn.txt");
        QVERIFY(trace.contains("> E0 00 4C 45 41 52 4E 01 01 30 30 30 EF"));
        QVERIFY(trace.contains("> E0 00 45 53 43 EF"));
        QVERIFY(sim.log().contains("ESC: learning abandoned"));
        QVERIFY(readFile("remote.qlv") == before);
    }

    void interruptCancelsADownloadAfterItsSlot()
    {
        Simulator sim(m_dir->path(), {"--late", "100"});
        const Run run =
            interrupted({"download", "remote", "--port", sim.path(), "--trace", "d.txt"}, 1500);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("qlvtool: %1: Download terminated!\n").arg(sim.path()));
        const QStringList lines = QString::fromLatin1(readFile("d.txt")).trimmed().split(u'\n');
        // "C" after the slot on its way; once it has left the line, back to 9600 bit/s.
        QVERIFY(lines.at(lines.size() - 3).endsWith("> 43"));
        QVERIFY(lines.at(lines.size() - 2).endsWith("drained"));
        QVERIFY(
            lines.last().endsWith(QStringLiteral("open %1 at 9600 bit/s: opened").arg(sim.path())));
        QVERIFY(sim.log().contains("stopped by the program after slot"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
