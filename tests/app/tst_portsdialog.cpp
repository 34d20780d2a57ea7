// The Ports dialog: the system's ports listed, COM1 ... COM8 chosen or typed, ports.ini written
// whole or not at all; and "Ports…" at the end of the window's port chooser.
#include <app/mainwindow.h>
#include <app/portsdialog.h>
#include <support/projectfiles.h>
#include <support/ptypeer.h>
#include <support/scriptedprompter.h>

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qlv;
using namespace qlv::test;

namespace {

std::vector<SystemPort> twoPorts()
{
    SystemPort usb;
    usb.path = QStringLiteral("/dev/ttyUSB0");
    usb.description = QStringLiteral("USB Serial");
    usb.vendorId = 0x1a86;
    usb.productId = 0x7523;
    SystemPort uart;
    uart.path = QStringLiteral("/dev/ttyS0");
    uart.accessProblem = QStringLiteral("owned by group dialout, which you are not in");
    return {usb, uart};
}

QComboBox* comBox(QWidget& dialog, int n)
{
    return dialog.findChild<QComboBox*>(QStringLiteral("PortCom%1").arg(n));
}

} // namespace

class TestPortsDialog : public QObject {
    Q_OBJECT

private slots:
    void listsTheSystemPorts()
    {
        QTemporaryDir dir;
        PortsDialog dialog(dir.filePath("ports.ini"), PortMap(), twoPorts());
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("SystemPorts"));
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("1a86:7523"));
        QCOMPARE(table->item(1, 5)->text(),
                 QStringLiteral("owned by group dialout, which you are not in"));
        // Each COM name offers the system's ports and keeps its default as a hint.
        QCOMPARE(comBox(dialog, 2)->findText(QStringLiteral("/dev/ttyS0")), 2);
        QCOMPARE(comBox(dialog, 2)->currentText(), QString());
    }

    void writesTheChosenAndTypedDevices()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("ports.ini");
        PortMap current;
        current.setPath(5, QStringLiteral("/dev/ttyACM1"));
        PortsDialog dialog(ini, current, twoPorts());
        QCOMPARE(comBox(dialog, 5)->currentText(), QStringLiteral("/dev/ttyACM1"));
        comBox(dialog, 1)->setCurrentIndex(1); // chosen: /dev/ttyUSB0
        comBox(dialog, 3)->setCurrentText(QStringLiteral("/tmp/k817t"));
        comBox(dialog, 5)->setCurrentText(QString()); // back to the default
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(readAll(ini), QByteArray("[PORTS]\nCOM1=/dev/ttyUSB0\nCOM3=/tmp/k817t\n"));
        QCOMPARE(dialog.portMap().devicePath(QStringLiteral("COM3")), QStringLiteral("/tmp/k817t"));
        QCOMPARE(dialog.portMap().devicePath(QStringLiteral("COM5")), QStringLiteral("/dev/ttyS4"));
    }

    void refusesWhatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("folder"); // where ports.ini goes, under the temp dir
        QTest::addColumn<QString>("typed");
        QTest::newRow("folder missing") << "absent/deeper"
                                        << "/dev/ttyUSB0";
        QTest::newRow("comma in a path") << ""
                                         << "/dev/a,b";
    }

    void refusesWhatCannotBeWritten()
    {
        QFETCH(QString, folder);
        QFETCH(QString, typed);
        QTemporaryDir dir;
        const QString ini = dir.filePath(folder + "/ports.ini");
        writeAll(dir.filePath("ports.ini"), "[PORTS]\nCOM2=/dev/kept\n");
        PortsDialog dialog(ini, PortMap(), twoPorts());
        comBox(dialog, 1)->setCurrentText(typed);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("PortsError"))->text().isEmpty());
        QCOMPARE(readAll(dir.filePath("ports.ini")), QByteArray("[PORTS]\nCOM2=/dev/kept\n"));
        QVERIFY(folder.isEmpty() || !QFile::exists(ini));
    }

    // In the window: the entry after "Close" opens the dialog, the chooser stays on its port,
    // and what the dialog wrote becomes the chooser's tooltips.
    void chooserEntryOpensTheDialog()
    {
        QTemporaryDir dir;
        PtyPeer line;
        QVERIFY(line.isValid());
        writeAll(dir.filePath("ports.ini"),
                 QStringLiteral("[PORTS]\nCOM1=%1\n").arg(line.slavePath()).toUtf8());
        ScriptedPrompter prompter;
        MainWindow window(prompter, dir.path());
        window.show();
        auto* chooser = window.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        QVERIFY(chooser);
        QCOMPARE(chooser->itemText(8), QStringLiteral("Close"));
        QCOMPARE(chooser->itemText(9), QStringLiteral("Ports…"));
        const int before = chooser->currentIndex();

        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = window.findChild<PortsDialog*>(QStringLiteral("PortsDialog"));
            seen = dialog != nullptr;
            if (!dialog)
                return;
            comBox(*dialog, 4)->setCurrentText(QStringLiteral("/tmp/typed-device"));
            dialog->accept();
        });
        chooser->setCurrentIndex(9);
        emit chooser->activated(9);
        QVERIFY(seen);
        QCOMPARE(chooser->currentIndex(), before);
        QVERIFY(readAll(dir.filePath("ports.ini")).contains("COM4=/tmp/typed-device\n"));
        QCOMPARE(chooser->itemData(3, Qt::ToolTipRole).toString(),
                 QStringLiteral("/tmp/typed-device"));
    }
};

QTEST_MAIN(TestPortsDialog)
#include "tst_portsdialog.moc"
