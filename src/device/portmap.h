// COM1 ... COM8 as the port chooser names them, mapped to device paths by ports.ini:
//   [PORTS]
//   COM1=/dev/ttyUSB0
// A name without an entry is /dev/ttyS0 ... /dev/ttyS7.
#pragma once

#include <QString>

#include <array>

namespace qlv {

inline constexpr int ComPortCount = 8;

class PortMap {
public:
    // Every port at its default path.
    PortMap() = default;
    // Entries of file's [PORTS] section; a missing or unreadable file leaves the defaults.
    static PortMap fromFile(const QString& iniPath);
    // ports.ini beside QLV.ini, in the config folder.
    static QString defaultFile();

    // "COM1" ... "COM8": the mapped path. A name that holds a '/' is a path already (qlvtool
    // and the simulator's pseudo-terminals). Anything else, "NoPort" among it, has none.
    QString devicePath(const QString& name) const;
    void setPath(int comNumber, const QString& path);
    // A mapping the program chose without ports.ini (the one USB adapter as COM1).
    void setAutomaticPath(int comNumber, const QString& path);
    bool isAutomatic(int comNumber) const;

private:
    std::array<QString, ComPortCount> m_paths;
    int m_automatic = 0; // the COM number set by setAutomaticPath, 0 for none
};

// "COM1" for 1 ... "COM8" for 8.
QString comName(int comNumber);

} // namespace qlv
