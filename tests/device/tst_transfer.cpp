// Download and upload over a pseudo-terminal against a scripted device: the bytes on the
// line, every ending with its message, the rate switch and return, and the rows an upload
// posts.
#include <device/devicemessages.h>
#include <device/frames.h>
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>
#include <support/devicerig.h>
#include <support/projectfiles.h>
#include <support/records.h>

#include <QSignalSpy>
#include <QTest>

using namespace qlv;
using namespace qlv::test;

namespace {

const QByteArray Ack("\x06", 1);
constexpr int NoFault = -1;

// How the scripted device misbehaves: from which slot it goes quiet, hangs up, sends a short
// or late slot, or at which slot the user presses Cancel.
struct Faults {
    int silentAt = NoFault;
    int silentHalf = 0;
    int hangUpAt = NoFault;
    int shortAt = NoFault;
    int lateAt = NoFault;
    int cancelAt = NoFault;
    QByteArray ack = Ack;
};

void downloadDevice(PeerLine& line, DeviceLink& link, const Faults& faults)
{
    line.readFrame();
    for (int slot = 0; slot < int(SlotCount); ++slot) {
        for (int half = 0; half < 2; ++half) {
            const QByteArray data = line.read(256);
            if (data.size() != 256)
                return line.note(QStringLiteral("slot %1 came short").arg(slot));
            if (line.rate() != TransferRate)
                line.note(QStringLiteral("slot %1 at %2 bit/s").arg(slot).arg(line.rate()));
            if (slot == faults.hangUpAt)
                return line.hangUp();
            if (slot == faults.silentAt && half == faults.silentHalf)
                return;
            if (slot == faults.cancelAt && half == 0) {
                line.onMain([&link] { link.cancelTransfer(); });
                line.sleep(100);
            }
            line.write(faults.ack);
        }
        const QByteArray control = line.read(1);
        if (control != "U")
            return;
    }
}

void uploadDevice(PeerLine& line, DeviceLink& link, const QByteArray& eeprom, const Faults& faults)
{
    line.readFrame();
    if (faults.silentAt == 0)
        return;
    if (!line.waitForRate(TransferRate))
        return line.note(QStringLiteral("no switch to 115200 bit/s"));
    line.write(faults.ack);
    for (int slot = 0; slot < int(SlotCount); ++slot) {
        const QByteArray data = eeprom.mid(slot * 512, 512);
        if (slot == faults.shortAt)
            return line.write(data.left(300));
        if (slot == faults.lateAt)
            line.sleep(3500);
        if (slot == faults.cancelAt)
            line.onMain([&link] { link.cancelTransfer(); });
        line.write(data);
        const QByteArray control = line.read(1, 6000);
        if (control != "U")
            return;
    }
}

// Distinct contents for the first rows: one and two codes, empty, null, short and long values.
void fillRows(DeviceRig& rig)
{
    rig.putRecord(0, oneCodeRecord(48, "Power"));
    rig.putRecord(1, twoCodeRecord(51, 52, "Mute"));
    KeyTable& keys = rig.project.keys();
    keys.setRecNo(3);
    KeyRow row = keys.current();
    row.irData = std::nullopt;
    keys.post(row);
    keys.setRecNo(4);
    row = keys.current();
    row.irData = toBytes(oneCodeRecord(49)).left(300);
    keys.post(row);
    keys.setRecNo(5);
    row = keys.current();
    row.irData = toBytes(oneCodeRecord(50, "Long")) + QByteArray(88, '\x33');
    keys.post(row);
    rig.putRecord(511, oneCodeRecord(47, "Last"));
}

// The image Compile writes for the same project: what download must send, slot for slot.
QByteArray compiledImage(DeviceRig& rig)
{
    const QString path = rig.dir.filePath(QStringLiteral("image.bin"));
    if (!rig.project.compileTo(path))
        return {};
    rig.prompter.clear();
    return readAll(path);
}

QByteArray downloadLine(const QByteArray& image, int slotCount, QByteArray lastControl = "U")
{
    QByteArray line = bytes(downloadAllFrame(0));
    for (int slot = 0; slot < slotCount; ++slot)
        line += image.mid(slot * 512, 512) + (slot + 1 == slotCount ? lastControl : "U");
    return line;
}

// An EEPROM whose slots differ: codes with names, erased slots, and one name that fills its
// whole field without a terminating zero.
QByteArray deviceEeprom()
{
    std::vector<std::uint8_t> image;
    for (std::size_t n = 0; n < SlotCount; ++n) {
        if (n % 4 == 3) {
            appendSlot(image, {});
            continue;
        }
        CodeRecord record =
            n % 4 == 1 ? twoCodeRecord(51, 50, "K" + std::to_string(n))
                       : oneCodeRecord(std::uint8_t(40 + n % 10), "Key" + std::to_string(n));
        if (n == 2)
            std::fill(record.begin() + 240, record.end() - 256, 'N');
        appendSlot(image, record);
    }
    return bytes(image);
}

// The real line, with the calls that decide when bytes leave it logged in their order.
class CallLog final : public ByteStream {
public:
    explicit CallLog(std::shared_ptr<QStringList> log)
        : m_inner(makeSerialStream())
        , m_log(std::move(log))
    {
    }
    OpenResult open(const QString& path, std::int32_t rate) override
    {
        *m_log << QStringLiteral("open %1").arg(rate);
        return m_inner->open(path, rate);
    }
    void close() override
    {
        *m_log << QStringLiteral("close");
        m_inner->close();
    }
    void drain() override
    {
        *m_log << QStringLiteral("drain");
        m_inner->drain();
    }
    OpenFailure openFailure() const override { return m_inner->openFailure(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    bool write(std::span<const std::uint8_t> bytes) override
    {
        if (m_log->isEmpty() || m_log->last() != QLatin1String("write"))
            *m_log << QStringLiteral("write");
        return m_inner->write(bytes);
    }
    std::int64_t bytesWaiting() override { return m_inner->bytesWaiting(); }
    QByteArray read(std::int64_t count) override { return m_inner->read(count); }
    void clearInput() override { m_inner->clearInput(); }
    bool waitForBytes(std::int64_t count, int msecs) override
    {
        return m_inner->waitForBytes(count, msecs);
    }
    void interruptWait() override { m_inner->interruptWait(); }

private:
    std::unique_ptr<ByteStream> m_inner;
    std::shared_ptr<QStringList> m_log;
};

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

private slots:
    void downloadSendsTheCompiledImage()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        fillRows(rig);
        const QByteArray image = compiledImage(rig);
        QCOMPARE(image.size(), qsizetype(ImageSize));
        int scrolls = 0;
        rig.project.keys().setAfterScroll([&scrolls] { ++scrolls; });
        QSignalSpy progress(&rig.link, &DeviceLink::progressChanged);
        QSignalSpy shown(&rig.link, &DeviceLink::progressShown);
        QSignalSpy hidden(&rig.link, &DeviceLink::progressHidden);
        QSignalSpy controls(&rig.link, &DeviceLink::controlsEnabledChanged);

        // Any byte value acknowledges, zero included.
        Faults faults;
        faults.ack = QByteArray(1, '\0');
        rig.peer.start([&](PeerLine& line) { downloadDevice(line, rig.link, faults); });
        rig.prompter.answer(Answer::Yes);
        QCOMPARE(rig.link.DownloadExecute(), TransferEnding::Completed);
        QVERIFY(rig.peer.finish());

        QCOMPARE(rig.prompter.questions(), QStringList{QLatin1String(msg::DownloadQuestion)});
        QCOMPARE(rig.prompter.calls.at(0).title, QStringLiteral("K-817T"));
        QCOMPARE(rig.prompter.notices(), QStringList{QLatin1String(msg::DownloadCompleted)});
        QVERIFY(rig.peer.received() == downloadLine(image, 512));
        QCOMPARE(rig.peer.notes(), QStringList());
        QCOMPARE(rig.peer.lineMode(), QStringLiteral("9600 8N1"));
        QCOMPARE(progress.size(), 512);
        QCOMPARE(progress.last().at(0).toInt(), 511);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), QLatin1String(msg::Downloading));
        QCOMPARE(hidden.size(), 1);
        QCOMPARE(controls.size(), 2);
        QCOMPARE(controls.at(0).at(0).toBool(), false);
        QCOMPARE(controls.at(1).at(0).toBool(), true);
        // The walk itself is silent; only the return to the first row redraws.
        QCOMPARE(scrolls, 1);
        QCOMPARE(rig.project.keys().recNo(), 1);
        QVERIFY(!rig.link.transferRunning());
    }

    void everyRateChangeWaitsForTheLineToDrain_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<int>("silentAt");
        QTest::newRow("download") << true << NoFault;
        QTest::newRow("upload") << false << NoFault;
        QTest::newRow("upload, no device") << false << 0;
    }
    void everyRateChangeWaitsForTheLineToDrain()
    {
        QFETCH(bool, download);
        QFETCH(int, silentAt);
        auto log = std::make_shared<QStringList>();
        DeviceRig rig(std::make_unique<CallLog>(log));
        QVERIFY(rig.openPort());
        Faults faults;
        faults.silentAt = silentAt;
        const QByteArray eeprom = deviceEeprom();
        rig.peer.start([&](PeerLine& line) {
            if (download)
                downloadDevice(line, rig.link, faults);
            else
                uploadDevice(line, rig.link, eeprom, faults);
        });
        rig.prompter.answer(Answer::Yes);
        if (download)
            rig.link.DownloadExecute();
        else
            rig.link.UploadExecute();
        QVERIFY(rig.peer.finish());
        rig.link.choosePort(ComPortCount);

        // The frame goes out at 9600 bit/s and has left the line before the port is reopened
        // at 115200; the last "U" or "C" before the return to 9600; anything before "Close".
        QVERIFY(log->contains(QStringLiteral("open 115200")));
        bool written = false;
        for (qsizetype i = 0; i < log->size(); ++i) {
            const QString& call = log->at(i);
            if (call == QLatin1String("write"))
                written = true;
            else if (call == QLatin1String("drain"))
                written = false;
            else if (written)
                QFAIL(qPrintable(QStringLiteral("%1 with bytes still on their way: %2")
                                     .arg(call, log->mid(0, i + 1).join(u','))));
        }
    }

    void downloadEndings_data()
    {
        QTest::addColumn<int>("silentAt");
        QTest::addColumn<int>("silentHalf");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<int>("hangUpAt");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("slotsComplete");
        QTest::addColumn<QByteArray>("tail");
        const QString noDevice = QLatin1String(msg::DownloadNoDevice);
        QTest::newRow("Cancel while slot 100 is on its way")
            << NoFault << 0 << 100 << NoFault << int(TransferEnding::Terminated)
            << QStringList{QLatin1String(msg::DownloadTerminated)} << 101 << QByteArray("C");
        QTest::newRow("first half of slot 3 unanswered")
            << 3 << 0 << NoFault << NoFault << int(TransferEnding::NoDevice)
            << QStringList{noDevice} << 3 << QByteArray::fromHex("00");
        QTest::newRow("second half of slot 3 unanswered")
            << 3 << 1 << NoFault << NoFault << int(TransferEnding::NoDevice)
            << QStringList{noDevice} << 3 << QByteArray::fromHex("01");
        QTest::newRow("adapter pulled at slot 10")
            << NoFault << 0 << NoFault << 10 << int(TransferEnding::NoDevice)
            << QStringList{noDevice, QLatin1String(msg::OpenErrorText)} << 10
            << QByteArray::fromHex("00");
    }
    void downloadEndings()
    {
        QFETCH(int, silentAt);
        QFETCH(int, silentHalf);
        QFETCH(int, cancelAt);
        QFETCH(int, hangUpAt);
        QFETCH(int, ending);
        QFETCH(QStringList, messages);
        QFETCH(int, slotsComplete);
        QFETCH(QByteArray, tail);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        fillRows(rig);
        const QByteArray image = compiledImage(rig);
        QSignalSpy progress(&rig.link, &DeviceLink::progressChanged);
        Faults faults;
        faults.silentAt = silentAt;
        faults.silentHalf = silentHalf;
        faults.cancelAt = cancelAt;
        faults.hangUpAt = hangUpAt;
        rig.peer.start([&](PeerLine& line) { downloadDevice(line, rig.link, faults); });
        QCOMPARE(int(rig.link.downloadAll()), ending);
        QVERIFY(rig.peer.finish());

        QCOMPARE(rig.prompter.notices(), messages);
        QByteArray expected;
        if (tail == "C") {
            expected = downloadLine(image, slotsComplete, "C");
            QCOMPARE(progress.last().at(0).toInt(), cancelAt);
        } else {
            // The slots before were sent and acknowledged; of the failed one its first half,
            // or both halves, and no control byte.
            expected = downloadLine(image, slotsComplete) +
                       image.mid(slotsComplete * 512, tail == "\x01" ? 512 : 256);
        }
        QVERIFY(rig.peer.received() == expected);
        if (hangUpAt == NoFault)
            QCOMPARE(rig.peer.lineMode(), QStringLiteral("9600 8N1"));
        QCOMPARE(rig.link.comm().baudRate(), CommandRate);
    }

    void downloadDeclinedSendsNothing()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        QSignalSpy controls(&rig.link, &DeviceLink::controlsEnabledChanged);
        rig.peer.start([](PeerLine& line) { line.quietFor(300); });
        rig.prompter.answer(Answer::No);
        QCOMPARE(rig.link.DownloadExecute(), TransferEnding::Declined);
        QVERIFY(rig.peer.finish());
        QVERIFY(rig.peer.received().isEmpty());
        QVERIFY(rig.prompter.notices().isEmpty());
        QVERIFY(controls.isEmpty());
    }

    void withoutAProjectNothingIsSentOrAsked_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("download") << true;
        QTest::newRow("upload") << false;
    }

    void withoutAProjectNothingIsSentOrAsked()
    {
        // A New that failed leaves no project: sending would fill the device with 0xFF.
        QFETCH(bool, download);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.project.setWorkingCopyPath(rig.dir.filePath("missing/Temp.~tmp"));
        QVERIFY(!rig.project.NewExecute());
        rig.prompter.clear();
        rig.peer.start([](PeerLine& line) { line.quietFor(300); });
        QCOMPARE(download ? rig.link.DownloadExecute() : rig.link.UploadExecute(),
                 TransferEnding::Declined);
        QVERIFY(rig.peer.finish());
        QVERIFY(rig.peer.received().isEmpty());
        QCOMPARE(rig.prompter.notices(), QStringList({"No project is open."}));
    }

    void uploadReplacesEveryRow()
    {
        DeviceRig rig;
        QVERIFY(rig.openPort());
        const QByteArray eeprom = deviceEeprom();
        QSignalSpy shown(&rig.link, &DeviceLink::progressShown);
        rig.peer.start([&](PeerLine& line) { uploadDevice(line, rig.link, eeprom, {}); });
        rig.prompter.answer(Answer::Yes);
        QCOMPARE(rig.link.UploadExecute(), TransferEnding::Completed);
        QVERIFY(rig.peer.finish());

        QCOMPARE(rig.prompter.questions(), QStringList{QLatin1String(msg::UploadQuestion)});
        QCOMPARE(rig.prompter.notices(), QStringList{QLatin1String(msg::UploadCompleted)});
        QCOMPARE(rig.peer.received(), bytes(uploadAllFrame(0)) + QByteArray(512, 'U'));
        QCOMPARE(rig.peer.notes(), QStringList());
        QCOMPARE(rig.peer.lineMode(), QStringLiteral("9600 8N1"));
        QCOMPARE(shown.at(0).at(0).toString(), QLatin1String(msg::Uploading));
        QVERIFY(rig.project.modified());
        const KeyTable& keys = rig.project.keys();
        for (int n = 0; n < 512; ++n) {
            const CodeRecord sent = imageSlot(
                std::span(reinterpret_cast<const std::uint8_t*>(eeprom.constData()), ImageSize),
                std::size_t(n));
            QCOMPARE(keys.row(n).irData, toBytes(sent));
            QCOMPARE(keys.row(n), withDerivedFields(keys.row(n)));
        }
        QCOMPARE(keys.row(0).function, QStringLiteral("Key0"));
        QCOMPARE(keys.row(1).format, QStringLiteral("RC5/RC6"));
        QCOMPARE(keys.row(3).carry, QString());
        // A name field without a zero: its first 15 bytes, and byte 255 stored as zero.
        QCOMPARE(keys.row(2).function, QStringLiteral("NNNNNNNNNNNNNNN"));
        QCOMPARE(recordOf(keys.row(2))[255], 0);
    }

    void uploadEndings_data()
    {
        QTest::addColumn<int>("silentAt");
        QTest::addColumn<int>("shortAt");
        QTest::addColumn<int>("lateAt");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rowsReplaced");
        QTest::addColumn<QByteArray>("controls");
        QTest::newRow("no first byte")
            << 0 << NoFault << NoFault << NoFault << int(TransferEnding::NoDevice)
            << QString(msg::UploadNoDevice) << 0 << QByteArray();
        QTest::newRow("slot 5 short")
            << NoFault << 5 << NoFault << NoFault << int(TransferEnding::TimedOut)
            << QString(msg::UploadTimeOut) << 5 << QByteArray(5, 'U');
        QTest::newRow("slot 5 late")
            << NoFault << NoFault << 5 << NoFault << int(TransferEnding::TimedOut)
            << QString(msg::UploadTimeOut) << 5 << QByteArray(5, 'U');
        QTest::newRow("Cancel at slot 100")
            << NoFault << NoFault << NoFault << 100 << int(TransferEnding::Terminated)
            << QString(msg::UploadTerminated) << 101 << QByteArray(100, 'U') + "C";
    }
    void uploadEndings()
    {
        QFETCH(int, silentAt);
        QFETCH(int, shortAt);
        QFETCH(int, lateAt);
        QFETCH(int, cancelAt);
        QFETCH(int, ending);
        QFETCH(QString, message);
        QFETCH(int, rowsReplaced);
        QFETCH(QByteArray, controls);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        const QByteArray eeprom = deviceEeprom();
        const QByteArray before = rig.project.keys().row(rowsReplaced).irData.value_or("null");
        QSignalSpy shown(&rig.link, &DeviceLink::progressShown);
        Faults faults;
        faults.silentAt = silentAt;
        faults.shortAt = shortAt;
        faults.lateAt = lateAt;
        faults.cancelAt = cancelAt;
        rig.peer.start([&](PeerLine& line) { uploadDevice(line, rig.link, eeprom, faults); });
        QCOMPARE(int(rig.link.uploadAll()), ending);
        QVERIFY(rig.peer.finish());

        QCOMPARE(rig.prompter.notices(), QStringList{message});
        QCOMPARE(rig.peer.received(), bytes(uploadAllFrame(0)) + controls);
        QCOMPARE(rig.peer.lineMode(), QStringLiteral("9600 8N1"));
        const KeyTable& keys = rig.project.keys();
        for (int n = 0; n < rowsReplaced; ++n)
            QCOMPARE(keys.row(n).irData, eeprom.mid(n * 512, 512).replace(255, 1, "\0", 1));
        QCOMPARE(keys.row(rowsReplaced).irData.value_or("null"), before);
        // Without a first byte nothing was started: no progress window, no disabled controls.
        QCOMPARE(shown.isEmpty(), silentAt == 0);
        QCOMPARE(rig.project.modified(), rowsReplaced > 0);
    }

    void afterCloseEveryTransferFailsToOpen_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void afterCloseEveryTransferFailsToOpen()
    {
        QFETCH(bool, upload);
        DeviceRig rig;
        QVERIFY(rig.openPort());
        rig.link.choosePort(8);
        const TransferEnding ending = upload ? rig.link.uploadAll() : rig.link.downloadAll();
        QCOMPARE(ending, TransferEnding::FrameNotSent);
        QCOMPARE(rig.prompter.notices(), QStringList{QLatin1String(msg::OpenErrorText)});
        QCOMPARE(rig.link.comm().baudRate(), CommandRate);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
