// COM1 ... COM8 to device paths through ports.ini, and the names that have no path.
#include <device/portmap.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void mapsNamesToPaths_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        const QByteArray ini = "[PORTS]\nCOM1=/dev/ttyUSB0\ncom3 = /dev/pts/7 \nCOM4=\n"
                               "COM9=/dev/ttyACM0\n[OTHER]\nCOM2=/dev/nowhere\n";
        QTest::newRow("mapped") << ini << "COM1"
                                << "/dev/ttyUSB0";
        QTest::newRow("key in any case, blanks trimmed") << ini << "COM3"
                                                         << "/dev/pts/7";
        QTest::newRow("another section does not count") << ini << "COM2"
                                                        << "/dev/ttyS1";
        QTest::newRow("empty entry keeps the default") << ini << "COM4"
                                                       << "/dev/ttyS3";
        QTest::newRow("unmapped") << ini << "COM8"
                                  << "/dev/ttyS7";
        QTest::newRow("no file") << QByteArray() << "COM1"
                                 << "/dev/ttyS0";
        QTest::newRow("a path is itself") << ini << "/tmp/tty.sim"
                                          << "/tmp/tty.sim";
        QTest::newRow("after Close") << ini << "NoPort"
                                     << "";
        QTest::newRow("no COM9") << ini << "COM9"
                                 << "";
        QTest::newRow("no COM0") << ini << "COM0"
                                 << "";
        QTest::newRow("empty") << ini << ""
                               << "";
    }
    void mapsNamesToPaths()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ports.ini"));
        if (!ini.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(ini);
        }
        QCOMPARE(PortMap::fromFile(file).devicePath(name), path);
    }
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
