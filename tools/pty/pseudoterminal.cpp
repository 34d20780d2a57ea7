#include "pseudoterminal.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace qlv::pty {

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        close();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Our own hold on the slave keeps the line raw and its settings alive while the program
    // closes and reopens it to change the rate, and nothing is echoed before it opens it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0) {
        close();
        return;
    }
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(m_slave, TCSANOW, &tio);
}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

bool PseudoTerminal::slaveSettings(termios& settings) const
{
    return m_slave >= 0 && ::tcgetattr(m_slave, &settings) == 0;
}

int PseudoTerminal::rate() const
{
    termios tio{};
    if (!slaveSettings(tio))
        return -1;
    return rateOf(::cfgetospeed(&tio));
}

int rateOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return -1;
    }
}

} // namespace qlv::pty
