// Learn, send and the hold-to-send over a pseudo-terminal against a scripted device: the
// frames, the wait for the code, Stop, the replies to the send frame and the alternation of a
// two-code record.
#include <device/devicemessages.h>
#include <device/frames.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <support/devicerig.h>
#include <support/records.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <future>
#include <variant>

using namespace qlv;
using namespace qlv::test;

namespace {

const QByteArray Ack("\x06", 1);

// A code block as a device would deliver it, different for each seed.
QByteArray learnedBytes(int length, int seed)
{
    QByteArray data;
    data += char(CodeMarker);
    for (int i = 1; i < length; ++i)
        data += char((i * 7 + seed * 13) % 256);
    // A second block starts with its own marker.
    if (length > int(BlockSize))
        data[int(BlockSize)] = char(CodeMarker);
    return data;
}

std::span<const std::uint8_t> span(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())};
}

QByteArray slice(const CodeRecord& record, std::size_t from, std::size_t to)
{
    return bytes(std::span(record).subspan(from, to - from));
}

// As the name edit does it: the record's name field and the column together.
void setFunction(DeviceRig& rig, int index, const QString& name)
{
    KeyTable& keys = rig.project.keys();
    keys.setRecNo(index + 1);
    KeyRow row = keys.current();
    CodeRecord record = recordOf(row);
    writeName(record, name.toStdString());
    row.irData = bytesOf(record);
    row.function = name;
    keys.post(row);
}

// The device for one press of a wave button: the frame, a reply, the body when it said "A",
// and after the stop frame its four bytes.
void holdDevice(PeerLine& line, const QByteArray& reply, bool answerStop)
{
    line.readFrame();
    line.write(reply);
    if (reply == "A")
        line.read(int(BlockSize));
    const QByteArray stop = line.readFrame(1500);
    if (!stop.isEmpty() && answerStop)
        line.write(QByteArray("\x06\x00\x00\x00", 4));
}

} // namespace

class TestLearnSend : public QObject {
    Q_OBJECT

private slots:
    void learnWaitsForTheWholeCode_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("timeIndex");
        QTest::newRow("Normal, 1s") << 1 << 0;
        QTest::newRow("RC5/RC6, 3s") << 2 << 2;
    }
    void learnWaitsForTheWholeCode()
    {
        QFETCH(int, format);
        QFETCH(int, timeIndex);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.link.setLearnTime(timeIndex);
        if (format == 2)
            rig.link.setRc5Format();
        setFunction(rig, 9, QStringLiteral("Vol+"));
        rig.project.keys().setRecNo(10);
        rig.project.setModified(false);
        const int expected = format == 2 ? 662 : 331;
        // A few bytes beyond the code come with its last byte; they take no part in it.
        const QByteArray code = learnedBytes(expected, 1);
        const QByteArray trailing(5, '\x5A');

        std::promise<void> probed;
        bool waitingAtOneShort = false;
        QSignalSpy captions(&rig.link, &DeviceLink::learnCaptionChanged);
        QSignalSpy controls(&rig.link, &DeviceLink::controlsEnabledChanged);
        QSignalSpy shown(&rig.link, &DeviceLink::learnedCodeShown);
        rig.peer.start([&](PeerLine& line) {
            line.readFrame();
            line.write(Ack);
            line.sleep(50);
            line.write(code.left(expected - 1));
            line.sleep(100);
            // Looked at on the program's side, between its polls of the line.
            line.onMain([&] {
                waitingAtOneShort = rig.link.learning() && !rig.project.modified() &&
                                    !hasCode(rig.recordAt(9), Code::A);
                probed.set_value();
            });
            probed.get_future().wait_for(std::chrono::seconds(5));
            line.write(code.right(1) + trailing);
            line.readFrame();
        });
        const LearnOutcome outcome = rig.link.IRLearnExecute({});
        QVERIFY(rig.peer.finish());

        QCOMPARE(outcome.ending, LearnEnding::Completed);
        QCOMPARE(outcome.rowsLearned, 1);
        QVERIFY(waitingAtOneShort);
        const QByteArray learn =
            bytes(learnFrame(0, std::uint8_t(timeIndex + 1), std::uint8_t(format)));
        QCOMPARE(rig.peer.received(), learn + bytes(escFrame()));
        const KeyRow& row = rig.project.keys().row(9);
        QCOMPARE(row.irData.value_or("null").toHex(),
                 toBytes(assembleLearned(span(code), format, "Vol+")).toHex());
        QCOMPARE(row.format, format == 2 ? QStringLiteral("RC5/RC6") : QStringLiteral("Normal"));
        QCOMPARE(row.function, QStringLiteral("Vol+"));
        QVERIFY(rig.project.modified());
        QCOMPARE(rig.prompter.notices(), QStringList());
        QCOMPARE(captions.size(), 2);
        QCOMPARE(captions.at(0).at(0).toString(), QStringLiteral("Stop"));
        QCOMPARE(captions.at(1).at(0).toString(), QStringLiteral("IR Learn"));
        QCOMPARE(controls.first(), (QList<QVariant>{false, true}));
        QCOMPARE(controls.last(), (QList<QVariant>{true, true}));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).at(0).toBool(), false);
        QVERIFY(!rig.link.learning());
    }

    void learnRunsTheSelectedRowsInTableOrder_data()
    {
        QTest::addColumn<bool>("stopAfterFirst");
        QTest::newRow("all three") << false;
        QTest::newRow("Stop after the first") << true;
    }
    void learnRunsTheSelectedRowsInTableOrder()
    {
        QFETCH(bool, stopAfterFirst);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        const CodeRecord earlier = oneCodeRecord(40, "Old");
        rig.putRecord(4, earlier);
        rig.putRecord(7, earlier);
        QSignalSpy shown(&rig.link, &DeviceLink::learnedCodeShown);
        QSignalSpy status(&rig.link, &DeviceLink::statusMessage);
        rig.peer.start([&](PeerLine& line) {
            for (int n = 0; n < 3; ++n) {
                if (line.readFrame().size() != 13)
                    return line.note(QStringLiteral("no LEARN for row %1").arg(n));
                line.write(Ack);
                if (n == 1 && stopAfterFirst) {
                    line.sleep(100);
                    line.onMain([&] { rig.link.IRLearnExecute({}); });
                    break;
                }
                line.sleep(30);
                line.write(learnedBytes(331, n));
            }
            line.readFrame();
        });
        const LearnOutcome outcome = rig.link.IRLearnExecute({7, 2, 4});
        QVERIFY(rig.peer.finish());
        QCOMPARE(rig.peer.notes(), QStringList());

        const QByteArray learn = bytes(learnFrame(0, 1, 1));
        const KeyTable& keys = rig.project.keys();
        QCOMPARE(keys.row(2).irData.value_or("null").toHex(),
                 toBytes(assembleLearned(span(learnedBytes(331, 0)), 1, "")).toHex());
        if (stopAfterFirst) {
            QCOMPARE(outcome.ending, LearnEnding::Stopped);
            QCOMPARE(outcome.rowsLearned, 1);
            QCOMPARE(rig.peer.received(), learn + learn + bytes(escFrame()));
            QCOMPARE(rig.recordAt(4), earlier);
            QCOMPARE(rig.recordAt(7), earlier);
        } else {
            QCOMPARE(outcome.ending, LearnEnding::Completed);
            QCOMPARE(outcome.rowsLearned, 3);
            QCOMPARE(rig.peer.received(), learn + learn + learn + bytes(escFrame()));
            QCOMPARE(keys.row(4).irData.value_or("null").toHex(),
                     toBytes(assembleLearned(span(learnedBytes(331, 1)), 1, "Old")).toHex());
            QCOMPARE(keys.row(7).irData.value_or("null").toHex(),
                     toBytes(assembleLearned(span(learnedBytes(331, 2)), 1, "Old")).toHex());
        }
        // The instruction stays until its key arrives; a stopped run takes it away. The results
        // ("!" after their head) decode the test's bytes to whatever they happen to be.
        QStringList lines;
        for (const QList<QVariant>& line : status) {
            const QString text = line.at(0).toString();
            lines << (line.at(1).toBool() ? text : text.section(u':', 0, 0) + u'!');
        }
        const QString press = QStringLiteral(": point the remote at the K-817T and press the key");
        QStringList expected{"Slot 3" + press, "Slot 3 learned!", "Slot 5 (Old)" + press};
        if (stopAfterFirst)
            expected << QStringLiteral("!");
        else
            expected << "Slot 5 learned!"
                     << "Slot 8 (Old)" + press << "Slot 8 learned!";
        QCOMPARE(lines, expected);
        // Several rows: each drawing keeps the previous code beside the new one.
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.at(0).at(0).toBool(), true);
        QVERIFY(!rig.link.learning());
    }

    void learnEndsWithEscWhateverEndedIt_data()
    {
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no acknowledgement")
            << false << int(LearnEnding::NoDevice) << QStringList{QLatin1String(msg::NoDevice)};
        QTest::newRow("adapter pulled while waiting for the code")
            << true << int(LearnEnding::LineLost) << QStringList{QLatin1String(msg::OpenErrorText)};
    }
    void learnEndsWithEscWhateverEndedIt()
    {
        QFETCH(bool, hangUp);
        QFETCH(int, ending);
        QFETCH(QStringList, messages);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        QSignalSpy captions(&rig.link, &DeviceLink::learnCaptionChanged);
        rig.peer.start([&](PeerLine& line) {
            line.readFrame();
            if (!hangUp) {
                line.readFrame();
                return;
            }
            line.write(Ack);
            line.sleep(200);
            line.hangUp();
        });
        const LearnOutcome outcome = rig.link.IRLearnExecute({});
        QVERIFY(rig.peer.finish());
        QCOMPARE(int(outcome.ending), ending);
        QCOMPARE(outcome.rowsLearned, 0);
        QCOMPARE(rig.prompter.notices(), messages);
        if (!hangUp) {
            QCOMPARE(rig.peer.received(), bytes(learnFrame(0, 1, 1)) + bytes(escFrame()));
            QCOMPARE(captions.size(), 1);
        }
        QCOMPARE(captions.last().at(0).toString(), QStringLiteral("IR Learn"));
        QVERIFY(!hasCode(rig.recordAt(0), Code::A));
    }

    void statusTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const CodeRecord nec =
            std::get<CodeRecord>(recordFromProtocol("NEC1", {{"D", 4}, {"S", 251}, {"F", 8}}));
        const CodeRecord rc5 =
            std::get<CodeRecord>(recordFromProtocol("RC5", {{"D", 14}, {"F", 12}}));
        QTest::newRow("named slot waits")
            << learnInstructionText(12, "POWER", false)
            << "Slot 12 (POWER): point the remote at the K-817T and press the key";
        QTest::newRow("unnamed slot, second capture")
            << learnInstructionText(7, "", true)
            << "Slot 7: point the remote at the K-817T and press the key again";
        QTest::newRow("decoded") << learnedText(12, nec) << "Slot 12 learned: NEC1 D=4 S=251 F=8";
        QTest::newRow("two codes decoded")
            << learnedText(3, rc5) << "Slot 3 learned: A: RC5 D=14 F=12 T=0 / B: RC5 D=14 F=12 T=1";
        // 1844000 / 48 Hz, and two-code records name their format as the grid does.
        QTest::newRow("no known protocol")
            << learnedText(12, oneCodeRecord(48)) << "Slot 12 learned: Normal format, 38.4 kHz";
        QTest::newRow("no known protocol, two codes")
            << learnedText(2, twoCodeRecord(51, 51)) << "Slot 2 learned: RC5/RC6 format, 36.2 kHz";
        QTest::newRow("empty slot held") << noCodeToSendText(12) << "Slot 12 has no code to send.";
        QTest::newRow("upload stopped")
            << uploadResultText(false, 37) << "Upload stopped: 37 slots replaced.";
        QTest::newRow("upload stopped at once")
            << uploadResultText(false, 0) << "Upload stopped: no slots replaced.";
        QTest::newRow("upload stopped after one")
            << uploadResultText(false, 1) << "Upload stopped: 1 slot replaced.";
        QTest::newRow("upload completed")
            << uploadResultText(true, 512) << "Upload: 512 slots replaced.";
    }
    void statusTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void sendReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        const QStringList noDevice{QLatin1String(msg::NoDevice)};
        QTest::newRow("A") << QByteArray("A") << int(SendOutcome::Sent) << QStringList();
        QTest::newRow("B") << QByteArray("B") << int(SendOutcome::Busy) << QStringList();
        QTest::newRow("another byte") << QByteArray("a") << int(SendOutcome::NoDevice) << noDevice;
        QTest::newRow("none") << QByteArray() << int(SendOutcome::NoDevice) << noDevice;
        QTest::newRow("two bytes") << QByteArray("AA") << int(SendOutcome::NoDevice) << noDevice;
    }
    void sendReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        const CodeRecord record = oneCodeRecord(48, "Power");
        rig.putRecord(0, record);
        rig.project.keys().setRecNo(1);
        // Ports 0 and 5 only.
        for (const int port : {1, 2, 3, 4, 6, 7})
            rig.link.setIrPortEnabled(port, false);
        QCOMPARE(rig.link.settings().IrPortMask, 0x21);
        rig.peer.start([&](PeerLine& line) {
            line.readFrame();
            line.write(reply);
            if (reply == "A")
                line.read(int(BlockSize));
            line.quietFor(200);
        });
        QCOMPARE(int(rig.link.IRSendStart()), outcome);
        QVERIFY(rig.peer.finish());
        QCOMPARE(rig.prompter.notices(), messages);
        QByteArray expected = bytes(sendFrame(0, 0x21));
        QCOMPARE(expected.toHex(' '), QByteArray("e0 00 43 00 01 02 30 30 30 ef"));
        if (reply == "A")
            expected += slice(record, 0, 75) + slice(record, 256, 512);
        QCOMPARE(rig.peer.received(), expected);
    }

    void twoSendsOfATwoCodeRowGiveBThenA()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        // A row without a code sends nothing and leaves the alternation as it was.
        rig.project.keys().setRecNo(3);
        QCOMPARE(rig.link.IRSendStart(), SendOutcome::NoCode);
        const CodeRecord record = twoCodeRecord(51, 52, "Mute");
        rig.putRecord(0, record);
        rig.project.keys().setRecNo(1);
        rig.peer.start([](PeerLine& line) {
            for (int n = 0; n < 2; ++n) {
                line.readFrame();
                line.write("A");
                line.read(int(BlockSize));
            }
        });
        QCOMPARE(rig.link.IRSendStart(), SendOutcome::Sent);
        QCOMPARE(rig.link.IRSendStart(), SendOutcome::Sent);
        QVERIFY(rig.peer.finish());
        const QByteArray frame = bytes(sendFrame(0, 0xFF));
        const QByteArray codeB =
            slice(record, 128, 203) + slice(record, 384, 512) + slice(record, 256, 384);
        const QByteArray codeA = slice(record, 0, 75) + slice(record, 256, 512);
        QCOMPARE(rig.peer.received(), frame + codeB + frame + codeA);
    }

    void holdToSendLightsTheCheckedPorts_data()
    {
        QTest::addColumn<bool>("stopAnswered");
        QTest::newRow("stop answered") << true;
        QTest::newRow("stop unanswered") << false;
    }
    void holdToSendLightsTheCheckedPorts()
    {
        QFETCH(bool, stopAnswered);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        const CodeRecord record = oneCodeRecord(48, "Power");
        rig.putRecord(5, record);
        rig.project.keys().setRecNo(6);
        rig.link.setDeviceId(14);
        for (const int port : {1, 2, 3, 4, 6, 7})
            rig.link.setIrPortEnabled(port, false);
        QSignalSpy lamps(&rig.link, &DeviceLink::portLampsChanged);
        rig.peer.start([&](PeerLine& line) { holdDevice(line, "A", stopAnswered); });

        SendOutcome secondPress = SendOutcome::Sent;
        QElapsedTimer held;
        held.start();
        const SendOutcome outcome = rig.link.holdToSend([&] {
            // A second press while the first is held is turned away.
            if (secondPress == SendOutcome::Sent)
                secondPress = rig.link.holdToSend([] { return false; });
            return held.elapsed() < 150;
        });
        QVERIFY(rig.peer.finish());
        QCOMPARE(outcome, SendOutcome::Sent);
        QCOMPARE(secondPress, SendOutcome::Ignored);
        QCOMPARE(lamps.size(), 2);
        QCOMPARE(lamps.at(0).at(0).toInt(), 0x21);
        QCOMPARE(lamps.at(1).at(0).toInt(), 0);
        QCOMPARE(rig.peer.received(), bytes(sendFrame(14, 0x21)) + slice(record, 0, 75) +
                                          slice(record, 256, 512) + bytes(stopFrame(14)));
        QVERIFY(!rig.link.holdSending());
        QVERIFY(rig.prompter.notices().isEmpty());
    }

    void holdOnARowWithoutCodeDoesNothing()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        QSignalSpy lamps(&rig.link, &DeviceLink::portLampsChanged);
        QSignalSpy status(&rig.link, &DeviceLink::statusMessage);
        rig.peer.start([](PeerLine& line) { line.quietFor(300); });
        rig.project.keys().setRecNo(12);
        QCOMPARE(rig.link.holdToSend([] { return true; }), SendOutcome::NoCode);
        QVERIFY(rig.peer.finish());
        QVERIFY(rig.peer.received().isEmpty());
        QVERIFY(lamps.isEmpty());
        // No box, only the status bar's word.
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Slot 12 has no code to send."));
        QVERIFY(rig.prompter.calls.isEmpty());
    }

    void afterCloseLearnAndSendFailToOpen()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.putRecord(0, oneCodeRecord(48));
        rig.project.keys().setRecNo(1);
        rig.link.choosePort(8);
        const QString openError = QLatin1String(msg::OpenErrorText);
        // LEARN fails, and then its ESC once more.
        QCOMPARE(rig.link.IRLearnExecute({}).ending, LearnEnding::WriteFailed);
        QCOMPARE(rig.prompter.notices(), (QStringList{openError, openError}));
        rig.prompter.clear();
        QSignalSpy lamps(&rig.link, &DeviceLink::portLampsChanged);
        QCOMPARE(rig.link.holdToSend([] { return true; }), SendOutcome::WriteFailed);
        QCOMPARE(rig.prompter.notices(), QStringList{openError});
        QVERIFY(lamps.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLearnSend)
#include "tst_learnsend.moc"
