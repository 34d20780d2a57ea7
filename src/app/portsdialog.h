// "Ports…": the system's serial ports and, for COM1 ... COM8, the device each stands for,
// chosen from the list or typed. OK writes ports.ini whole; a file that cannot be written is
// said in the dialog, which stays open with nothing written.
#pragma once

#include <device/portmap.h>
#include <platform/systemports.h>

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QLabel;

namespace qlv {

class PortsDialog : public QDialog {
    Q_OBJECT

public:
    PortsDialog(const QString& iniPath, const PortMap& current,
                const std::vector<SystemPort>& ports, QWidget* parent = nullptr);

    // The map as written, once the dialog was accepted.
    const PortMap& portMap() const { return m_map; }
    // The [PORTS] section for the entries as they stand: only the COM names given a device.
    QByteArray iniText() const;

    void accept() override;

private:
    QString m_iniPath;
    PortMap m_map;
    std::array<QComboBox*, ComPortCount> m_devices{};
    QLabel* m_error = nullptr;
};

} // namespace qlv
