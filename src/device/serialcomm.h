// The serial port layer: the one connection to the device, the port name and the line rate,
// under the names the rest of the device code uses. One instance for the program.
#pragma once

#include "bytestream.h"
#include "portmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace qlv {

class Prompter;

// The status poll's record; only the count of waiting bytes is used.
struct CommStatus {
    std::uint32_t cbInQue = 0;
};

// What the open error adds below its text: the device path, the system's reason and, for a
// refused permission, the hint that names the group owning the device.
QString openFailureDetail(const QString& path, const OpenFailure& failure);
// Empty unless error (an errno value) says the system refused access to path.
QString permissionHint(const QString& path, int error);

class SerialComm {
public:
    SerialComm(Prompter& prompter, std::unique_ptr<ByteStream> stream, PortMap ports);

    // Opens (or reopens) name at iBaudrate; the failures show "Open Error" or "Set Error".
    // Never changes sCommName.
    bool OpenComm(const QString& name);
    // The port chooser's "Close".
    void CloseComm();
    // One write; when it fails, one reopen of sCommName and one more write.
    bool WriteComm(std::span<const std::uint8_t> bytes);
    // A control byte of a bulk transfer: straight to the port, no reopen.
    bool WriteControl(std::uint8_t byte);
    // Waits until count bytes wait, then reads exactly count into buffer; false after seconds
    // with nothing consumed.
    bool ReadComm(std::uint8_t* buffer, std::uint32_t count, int seconds);
    void ClearInput();
    // The count of waiting bytes into cs.cbInQue.
    void PollStatus();
    // Up to max of the bytes the last PollStatus counted, read into inbuff.
    std::span<const std::uint8_t> readWaiting(std::uint32_t max);

    bool portOpen() const { return m_stream->isOpen(); }
    ByteStream& hComm() { return *m_stream; }
    const PortMap& ports() const { return m_ports; }
    // A new map from the Ports dialog; the open port stays open until the next choice.
    void setPorts(const PortMap& ports) { m_ports = ports; }

    // The rate the next OpenComm sets.
    std::int32_t baudRate() const { return iBaudrate; }
    void setBaudRate(std::int32_t rate) { iBaudrate = rate; }
    // The port the next reopen opens: "COM1" ... "COM8", or the closed port's name.
    const QString& commName() const { return sCommName; }
    void setCommName(const QString& name) { sCommName = name; }
    // What the last read took and what the last poll counted.
    std::uint32_t bytesRead() const { return nBytesRead; }
    std::uint32_t waitingCount() const { return cs.cbInQue; }

private:
    std::int32_t iBaudrate = 9600;
    QString sCommName;
    std::array<std::uint8_t, 4096> inbuff{};
    std::uint32_t nBytesRead = 0;
    CommStatus cs;
    Prompter& m_prompter;
    std::unique_ptr<ByteStream> m_stream;
    PortMap m_ports;
};

} // namespace qlv
