// The COM map as the programs load it: ports.ini when there is one, else the defaults with the
// one USB serial adapter as COM1; and the COM name a path is mapped to.
#include <platform/systemports.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;

namespace {

SystemPort port(const QString& path, bool usb)
{
    SystemPort p;
    p.path = path;
    if (usb) {
        p.vendorId = 0x1a86;
        p.productId = 0x7523;
    }
    return p;
}

} // namespace

class TestSystemPorts : public QObject {
    Q_OBJECT

private slots:
    void com1FollowsTheOnlyUsbAdapter_data()
    {
        QTest::addColumn<QStringList>("usb");   // paths of USB adapters present
        QTest::addColumn<QStringList>("other"); // paths of other ports present
        QTest::addColumn<QByteArray>("ini");    // ports.ini, or empty for none
        QTest::addColumn<QString>("com1");
        QTest::addColumn<bool>("automatic");

        QTest::newRow("no ports.ini, one adapter")
            << QStringList{"/dev/ttyUSB0"} << QStringList{"/dev/ttyS0"} << QByteArray()
            << "/dev/ttyUSB0" << true;
        QTest::newRow("no ports.ini, two adapters")
            << QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"} << QStringList{} << QByteArray()
            << "/dev/ttyS0" << false;
        QTest::newRow("no ports.ini, no adapter")
            << QStringList{} << QStringList{"/dev/ttyS0"} << QByteArray() << "/dev/ttyS0" << false;
        QTest::newRow("ports.ini without COM1 keeps the default")
            << QStringList{"/dev/ttyUSB0"} << QStringList{} << QByteArray("[PORTS]\nCOM2=/dev/x\n")
            << "/dev/ttyS0" << false;
        QTest::newRow("ports.ini with COM1")
            << QStringList{"/dev/ttyUSB0"} << QStringList{}
            << QByteArray("[PORTS]\nCOM1=/dev/ttyACM3\n") << "/dev/ttyACM3" << false;
    }

    void com1FollowsTheOnlyUsbAdapter()
    {
        QFETCH(QStringList, usb);
        QFETCH(QStringList, other);
        QFETCH(QByteArray, ini);
        QFETCH(QString, com1);
        QFETCH(bool, automatic);

        QTemporaryDir dir;
        const QString iniPath = dir.filePath(QStringLiteral("ports.ini"));
        if (!ini.isEmpty()) {
            QFile file(iniPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini);
        }
        std::vector<SystemPort> ports;
        for (const QString& path : other)
            ports.push_back(port(path, false));
        for (const QString& path : usb)
            ports.push_back(port(path, true));

        const PortMap map = loadPortMap(iniPath, ports);
        QCOMPARE(map.devicePath(QStringLiteral("COM1")), com1);
        QCOMPARE(map.isAutomatic(1), automatic);
        QCOMPARE(portToolTip(map, 1).contains(QStringLiteral("only USB serial adapter")),
                 automatic);
        QCOMPARE(map.devicePath(QStringLiteral("COM8")), QStringLiteral("/dev/ttyS7"));
    }

    void comNameFollowsLinks()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("device"));
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString link = dir.filePath(QStringLiteral("by-id"));
        QVERIFY(QFile::link(device, link));
        PortMap map;
        map.setPath(3, link);
        QCOMPARE(comNameOf(map, device), QStringLiteral("COM3"));
        QCOMPARE(comNameOf(map, QStringLiteral("/dev/ttyS4")), QStringLiteral("COM5"));
        QCOMPARE(comNameOf(map, dir.filePath(QStringLiteral("elsewhere"))), QString());
        QCOMPARE(usbIdOf(port(device, true)), QStringLiteral("1a86:7523"));
    }

private:
    static QString usbIdOf(const SystemPort& p) { return p.usbId(); }
};

QTEST_GUILESS_MAIN(TestSystemPorts)
#include "tst_systemports.moc"
