#include "devicelink.h"

#include "devicemessages.h"

namespace qlv {

DeviceLink::DeviceLink(Prompter& prompter, Project& project, std::unique_ptr<ByteStream> stream,
                       PortMap ports, QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_project(project)
    , m_comm(prompter, std::move(stream), std::move(ports))
{
}

DeviceLink::~DeviceLink() = default;

QStringList DeviceLink::portEntries()
{
    QStringList entries;
    for (int n = 1; n <= ComPortCount; ++n)
        entries << comName(n);
    return entries << QLatin1String(msg::CloseEntry);
}

QString DeviceLink::portPath(int index) const
{
    if (index < 0 || index >= ComPortCount)
        return {};
    return m_comm.ports().devicePath(comName(index + 1));
}

void DeviceLink::setLearnTime(int index)
{
    m_settings.LearnTime = std::uint8_t(index + 1);
}

void DeviceLink::choosePort(int index)
{
    if (index == ComPortCount) {
        if (!m_comm.portOpen())
            return;
        m_comm.CloseComm();
        emit portPanelChanged(QLatin1String(msg::NoPort));
        m_comm.setCommName(QLatin1String(msg::ClosedPortName));
        return;
    }
    if (index < 0 || index > ComPortCount)
        return;
    m_comm.setCommName(comName(index + 1));
    if (m_comm.OpenComm(m_comm.commName()))
        emit portPanelChanged(m_comm.commName());
    else
        emit portPanelChanged(QLatin1String(msg::NoPort));
}

void DeviceLink::setDeviceId(int index)
{
    m_settings.DeviceId = std::uint8_t(index);
}

void DeviceLink::setNormalFormat()
{
    m_settings.IrFormat = 1;
}

void DeviceLink::setRc5Format()
{
    m_settings.IrFormat = 2;
}

void DeviceLink::setIrPortEnabled(int port, bool checked)
{
    if (port < 0 || port > 7)
        return;
    const auto bit = std::uint8_t(1u << port);
    if (checked)
        m_settings.IrPortMask |= bit;
    else
        m_settings.IrPortMask &= std::uint8_t(~bit);
}

void DeviceLink::setControlsEnabled(bool enabled, bool learnButtonEnabled)
{
    emit controlsEnabledChanged(enabled, learnButtonEnabled);
}

} // namespace qlv
