// The serial port layer on a real pseudo-terminal: opening, the two error boxes, reads that
// leave the rest queued or time out, the reopen of a failed write, and the port chooser.
#include <device/devicemessages.h>
#include <device/tracestream.h>
#include <support/devicerig.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using namespace qlv;
using namespace qlv::test;

namespace {

const QString OpenError = QLatin1String(msg::OpenErrorText);

// A line that opens but refuses its settings, as some adapters refuse a rate.
class RefusingStream final : public ByteStream {
public:
    OpenResult open(const QString&, std::int32_t) override { return OpenResult::SetFailed; }
    void close() override {}
    void drain() override {}
    OpenFailure openFailure() const override { return {}; }
    bool isOpen() const override { return false; }
    bool write(std::span<const std::uint8_t>) override { return false; }
    std::int64_t bytesWaiting() override { return 0; }
    QByteArray read(std::int64_t) override { return {}; }
    void clearInput() override {}
    bool waitForBytes(std::int64_t, int) override { return false; }
    void interruptWait() override {}
};

QByteArray counting(int n)
{
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data += char(i % 251);
    return data;
}

} // namespace

class TestSerialComm : public QObject {
    Q_OBJECT

private slots:
    void opensAtTheRateWithEightNoneOne()
    {
        DeviceRig rig;
        QVERIFY(rig.peer.isValid());
        QSignalSpy panel(&rig.link, &DeviceLink::portPanelChanged);
        QVERIFY(rig.openPort());
        QCOMPARE(panel.size(), 1);
        QCOMPARE(panel.at(0).at(0).toString(), QStringLiteral("COM1"));
        QCOMPARE(rig.peer.lineMode(), QStringLiteral("9600 8N1"));
        QCOMPARE(rig.link.comm().commName(), QStringLiteral("COM1"));
        QVERIFY(rig.prompter.calls.isEmpty());
    }

    void readTakesCountAndLeavesTheRestQueued()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.peer.start([](PeerLine& line) { line.write(counting(600)); });
        QVERIFY(rig.peer.finish());
        std::array<std::uint8_t, 512> buffer{};
        SerialComm& comm = rig.link.comm();
        QVERIFY(comm.ReadComm(buffer.data(), 512, 3));
        QCOMPARE(comm.bytesRead(), 512u);
        QCOMPARE(bytes(buffer), counting(512));
        comm.PollStatus();
        QCOMPARE(comm.waitingCount(), 88u);
    }

    void readTimesOutAndConsumesNothing_data()
    {
        QTest::addColumn<int>("waiting");
        QTest::newRow("nothing came") << 0;
        QTest::newRow("three of four bytes") << 3;
    }
    void readTimesOutAndConsumesNothing()
    {
        QFETCH(int, waiting);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.peer.start([waiting](PeerLine& line) { line.write(counting(waiting)); });
        QVERIFY(rig.peer.finish());
        std::array<std::uint8_t, 4> buffer{};
        SerialComm& comm = rig.link.comm();
        QVERIFY(!comm.ReadComm(buffer.data(), 4, 1));
        comm.PollStatus();
        QCOMPARE(comm.waitingCount(), std::uint32_t(waiting));
    }

    void openFailsWithItsBox_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("no such device") << false;
        QTest::newRow("held by another program") << true;
    }
    void openFailsWithItsBox()
    {
        QFETCH(bool, held);
        DeviceRig rig;
        std::unique_ptr<ByteStream> other = makeSerialStream();
        PortMap map;
        if (held) {
            QCOMPARE(other->open(rig.peer.slavePath(), 9600), OpenResult::Opened);
            map.setPath(1, rig.peer.slavePath());
        } else {
            map.setPath(1, rig.dir.filePath(QStringLiteral("ttyNone")));
        }
        DeviceLink link(rig.prompter, rig.project, makeSerialStream(), map);
        QSignalSpy panel(&link, &DeviceLink::portPanelChanged);
        link.choosePort(0);
        QVERIFY(!link.comm().portOpen());
        QCOMPARE(rig.prompter.notices(), QStringList{OpenError});
        QCOMPARE(rig.prompter.calls.at(0).title, QLatin1String(msg::OpenErrorTitle));
        QVERIFY(
            rig.prompter.calls.at(0).detail.startsWith(link.portPath(0) + QStringLiteral(": ")));
        QCOMPARE(panel.size(), 1);
        QCOMPARE(panel.at(0).at(0).toString(), QLatin1String(msg::NoPort));
        // The chosen name stays, so the next write tries that port again.
        QCOMPARE(link.comm().commName(), QStringLiteral("COM1"));
    }

    void openErrorSaysWhichDeviceAndWhy_data()
    {
        QTest::addColumn<QString>("device"); // "missing", "unreadable" or "none"
        QTest::newRow("no such device") << "missing";
        QTest::newRow("no permission") << "unreadable";
        QTest::newRow("no port chosen") << "none";
    }
    void openErrorSaysWhichDeviceAndWhy()
    {
        QFETCH(QString, device);
        DeviceRig rig;
        QString path = rig.peer.slavePath();
        QString expected;
        if (device == "missing") {
            path = rig.dir.filePath(QStringLiteral("ttyNone"));
            expected = path + QStringLiteral(": No such file or directory");
        } else if (device == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("root opens any device; the hint is checked by permissionHintNamesTheGroup");
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
            expected = path + QStringLiteral(": Permission denied\n") +
                       QStringLiteral("To open %1 the user must be in the group \"%2\" that owns "
                                      "it: sudo usermod -aG %2 $USER, then log in again.")
                           .arg(path, QFileInfo(path).group());
        } else {
            path.clear();
            expected = QStringLiteral("No port is chosen.");
        }
        PortMap map;
        map.setPath(1, path);
        DeviceLink link(rig.prompter, rig.project, makeSerialStream(), map);
        link.choosePort(device == "none" ? 8 : 0);
        if (device == "none") {
            link.comm().setCommName(QLatin1String(msg::ClosedPortName));
            const std::array<std::uint8_t, 1> byte{0x55};
            QVERIFY(!link.comm().WriteComm(byte));
        }
        QVERIFY(!link.comm().portOpen());
        // The message keeps its text; the device and the reason come below it.
        QCOMPARE(rig.prompter.notices(), QStringList{OpenError});
        QCOMPARE(rig.prompter.calls.at(0).detail, expected);
    }

    void permissionHintNamesTheGroup_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("hint");
        QTest::newRow("EACCES") << EACCES << true;
        QTest::newRow("EPERM") << EPERM << true;
        QTest::newRow("ENOENT") << ENOENT << false;
        QTest::newRow("EBUSY") << EBUSY << false;
        QTest::newRow("no system error") << 0 << false;
    }
    void permissionHintNamesTheGroup()
    {
        QFETCH(int, error);
        QFETCH(bool, hint);
        PtyPeer peer;
        const QString path = peer.slavePath();
        const QString group = QFileInfo(path).group();
        QVERIFY(!group.isEmpty());
        const QString expected =
            QStringLiteral("To open %1 the user must be in the group \"%2\" that owns it: "
                           "sudo usermod -aG %2 $USER, then log in again.")
                .arg(path, group);
        QCOMPARE(permissionHint(path, error), hint ? expected : QString());
        QCOMPARE(openFailureDetail(path, {error, QStringLiteral("Permission denied")}),
                 path + QStringLiteral(": Permission denied") +
                     (hint ? QStringLiteral("\n") + expected : QString()));
        // Without the device its group is unknown; the hint still says what to do.
        const QString gone = path + QStringLiteral("-gone");
        QCOMPARE(permissionHint(gone, error).contains(QStringLiteral("usually dialout")), hint);
    }

    void refusedSettingsShowTheSetBox()
    {
        DeviceRig rig;
        DeviceLink link(rig.prompter, rig.project, std::make_unique<RefusingStream>(), {});
        link.choosePort(2);
        QCOMPARE(rig.prompter.notices(), QStringList{QLatin1String(msg::SetErrorText)});
        QCOMPARE(rig.prompter.calls.at(0).title, QLatin1String(msg::SetErrorTitle));
        QVERIFY(!link.comm().portOpen());
    }

    void closeWithNoPortOpenChangesNothing()
    {
        DeviceRig rig;
        QSignalSpy panel(&rig.link, &DeviceLink::portPanelChanged);
        rig.link.choosePort(8);
        QVERIFY(panel.isEmpty());
        QVERIFY(rig.link.comm().commName().isEmpty());
        QVERIFY(rig.prompter.calls.isEmpty());
    }

    void writeAfterCloseFailsWithTheOpenError()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        QSignalSpy panel(&rig.link, &DeviceLink::portPanelChanged);
        rig.link.choosePort(8);
        QCOMPARE(panel.size(), 1);
        QCOMPARE(panel.at(0).at(0).toString(), QLatin1String(msg::NoPort));
        QCOMPARE(rig.link.comm().commName(), QStringLiteral("NoPort"));
        const std::array<std::uint8_t, 1> byte{0x55};
        QVERIFY(!rig.link.comm().WriteComm(byte));
        QCOMPARE(rig.prompter.notices(), QStringList{OpenError});
    }

    void failedWriteReopensTheLastPortAtTheCurrentRate()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        SerialComm& comm = rig.link.comm();
        comm.hComm().close();
        comm.setBaudRate(115200);
        const std::array<std::uint8_t, 3> data{1, 2, 3};
        QVERIFY(comm.WriteComm(data));
        rig.peer.start([](PeerLine& line) { line.read(3); });
        QVERIFY(rig.peer.finish());
        QCOMPARE(rig.peer.received(), bytes(data));
        QCOMPARE(rig.peer.lineMode(), QStringLiteral("115200 8N1"));
        QVERIFY(rig.prompter.calls.isEmpty());
    }

    void lostLineEndsTheWait()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.peer.start([](PeerLine& line) {
            line.sleep(200);
            line.hangUp();
        });
        std::array<std::uint8_t, 1> buffer{};
        QVERIFY(!rig.link.comm().ReadComm(buffer.data(), 1, 3));
        QVERIFY(rig.peer.finish());
        const std::array<std::uint8_t, 1> byte{0x55};
        QVERIFY(!rig.link.comm().WriteComm(byte));
        QCOMPARE(rig.prompter.notices(), QStringList{OpenError});
    }

    void traceHoldsEveryByteDiscardedOnesToo()
    {
        PtyPeer peer;
        auto owned = std::make_unique<TraceStream>(makeSerialStream());
        TraceStream& trace = *owned;
        ScriptedPrompter prompter;
        PortMap map;
        map.setPath(1, peer.slavePath());
        SerialComm comm(prompter, std::move(owned), map);
        QVERIFY(comm.OpenComm(QStringLiteral("COM1")));
        peer.start([](PeerLine& line) {
            line.write(QByteArray("\x01\x02", 2));
            line.read(2);
            line.write(QByteArray("\x7F", 1));
        });
        QTRY_VERIFY(comm.hComm().bytesWaiting() == 2);
        comm.ClearInput();
        const std::array<std::uint8_t, 2> frame{0xE0, 0xEF};
        QVERIFY(comm.WriteComm(frame));
        std::uint8_t reply = 0;
        QVERIFY(comm.ReadComm(&reply, 1, 3));
        QVERIFY(peer.finish());
        QStringList events;
        for (const QString& line :
             QString::fromLatin1(trace.text()).split(u'\n', Qt::SkipEmptyParts))
            events << line.section(u' ', 1, -1, QString::SectionSkipEmpty);
        QCOMPARE(events, (QStringList{
                             QStringLiteral("open %1 at 9600 bit/s: opened").arg(peer.slavePath()),
                             QStringLiteral("< 01 02  (discarded)"),
                             QStringLiteral("> E0 EF"),
                             QStringLiteral("< 7F"),
                         }));
    }

    void chooserTooltipShowsTheMappedPath()
    {
        DeviceRig rig;
        QCOMPARE(rig.link.portPath(0), rig.peer.slavePath());
        QCOMPARE(rig.link.portPath(1), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(rig.link.portPath(8), QString());
        QCOMPARE(DeviceLink::portEntries().last(), QStringLiteral("Close"));
        QCOMPARE(DeviceLink::portEntries().size(), 9);
    }
};

QTEST_GUILESS_MAIN(TestSerialComm)
#include "tst_serialcomm.moc"
