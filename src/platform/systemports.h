// The serial ports the system has, as Qt SerialPort enumerates them, with whether this user
// may open each; and the COM1 ... COM8 map as the programs load it.
#pragma once

#include <device/portmap.h>

#include <QString>

#include <optional>
#include <vector>

namespace qlv {

struct SystemPort {
    QString path; // /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId; // set for a USB adapter
    std::optional<quint16> productId;
    // Empty when this user may read and write it; else why not ("owned by group dialout").
    QString accessProblem;

    bool isUsb() const { return vendorId.has_value(); }
    // "1a86:7523", or empty for a port that is not on USB.
    QString usbId() const;
};

std::vector<SystemPort> systemPorts();
// A path the enumeration does not know (a pseudo-terminal, a link), described as far as it can.
SystemPort describePath(const QString& path);
// Why this user cannot open path for reading and writing; empty when it can.
QString accessProblem(const QString& path);

// ports.ini when it exists; otherwise the defaults, except that COM1 is the USB serial adapter
// when ports holds exactly one.
PortMap loadPortMap(const QString& iniPath, const std::vector<SystemPort>& ports);
PortMap loadPortMap(const QString& iniPath);

// "COM3" when map sends that name to path (links followed), else empty; the first such name.
QString comNameOf(const PortMap& map, const QString& path);

// The chooser's tooltip for COMn: the mapped path, and why when it was not the user's choice.
QString portToolTip(const PortMap& map, int comNumber);

} // namespace qlv
