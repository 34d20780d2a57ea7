// The six command frames byte for byte, the ID chooser's positions and the device's reading.
#include <device/frames.h>

#include <QTest>

using namespace qlv;

namespace {

QByteArray hex(const Frame& frame)
{
    return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()))
        .toHex(' ')
        .toUpper();
}

} // namespace

class TestFrames : public QObject {
    Q_OBJECT

private slots:
    void frameBytes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        const std::uint8_t f = *deviceIdOf(QStringLiteral("F"));
        QTest::newRow("DOWNLOADALL to F")
            << hex(downloadAllFrame(f)) << QByteArray("E0 0E 44 4F 57 4E 4C 4F 41 44 41 4C 4C EF");
        QTest::newRow("UPLOADALL to F")
            << hex(uploadAllFrame(f)) << QByteArray("E0 0E 55 50 4C 4F 41 44 41 4C 4C EF");
        QTest::newRow("LEARN 3s RC5/RC6 to 0")
            << hex(learnFrame(0, 3, 2)) << QByteArray("E0 00 4C 45 41 52 4E 03 02 30 30 30 EF");
        QTest::newRow("LEARN 1s Normal to F")
            << hex(learnFrame(f, 1, 1)) << QByteArray("E0 0E 4C 45 41 52 4E 01 01 30 30 30 EF");
        QTest::newRow("ESC ignores the address")
            << hex(escFrame()) << QByteArray("E0 00 45 53 43 EF");
        QTest::newRow("send, all ports")
            << hex(sendFrame(f, 0xFF)) << QByteArray("E0 0E 43 00 0F 0F 30 30 30 EF");
        QTest::newRow("send, ports 0 and 5")
            << hex(sendFrame(0, 0x21)) << QByteArray("E0 00 43 00 01 02 30 30 30 EF");
        QTest::newRow("send, no port")
            << hex(sendFrame(0, 0x00)) << QByteArray("E0 00 43 00 00 00 30 30 30 EF");
        QTest::newRow("stop to F")
            << hex(stopFrame(f)) << QByteArray("E0 0E 43 00 A0 AA 00 00 00 EF");
    }
    void frameBytes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame, expected);
    }

    void deviceIdIsTheChoosersPosition_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("id");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("9") << "9" << 9;
        QTest::newRow("A") << "A" << 10;
        QTest::newRow("C") << "C" << 12;
        QTest::newRow("E") << "E" << 13;
        QTest::newRow("F") << "F" << 14;
        QTest::newRow("f") << "f" << 14;
        QTest::newRow("D is no entry") << "D" << -1;
        QTest::newRow("10 is no entry") << "10" << -1;
    }
    void deviceIdIsTheChoosersPosition()
    {
        QFETCH(QString, entry);
        QFETCH(int, id);
        const std::optional<std::uint8_t> position = deviceIdOf(entry);
        QCOMPARE(position ? int(*position) : -1, id);
        QCOMPARE(deviceIdEntries().size(), 15);
    }

    void deviceReadsEveryFrame()
    {
        const std::optional<DeviceCommand> learn = parseFrame(learnFrame(13, 2, 2));
        QVERIFY(learn);
        QCOMPARE(learn->kind, DeviceCommand::Learn);
        QCOMPARE(learn->deviceId, 13);
        QCOMPARE(learn->learnTime, 2);
        QCOMPARE(learn->irFormat, 2);
        const std::optional<DeviceCommand> send = parseFrame(sendFrame(3, 0xA5));
        QVERIFY(send);
        QCOMPARE(send->kind, DeviceCommand::Send);
        QCOMPARE(send->irPortMask, 0xA5);
        QCOMPARE(parseFrame(stopFrame(3))->kind, DeviceCommand::Stop);
        QCOMPARE(parseFrame(escFrame())->kind, DeviceCommand::Esc);
        QCOMPARE(parseFrame(downloadAllFrame(1))->kind, DeviceCommand::DownloadAll);
        QCOMPARE(parseFrame(uploadAllFrame(1))->kind, DeviceCommand::UploadAll);
        Frame garbled = uploadAllFrame(1);
        garbled[4] = 'X';
        QVERIFY(!parseFrame(garbled));
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
