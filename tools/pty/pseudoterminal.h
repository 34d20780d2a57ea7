// A pseudo-terminal whose slave end the program opens as its serial port: the device's side
// for k817t-sim and for the tests' scripted peers.
#pragma once

#include <QString>

#include <termios.h>

namespace qlv::pty {

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return m_master >= 0; }
    int master() const { return m_master; }
    const QString& slavePath() const { return m_slavePath; }

    // The rate the program has set on the slave, or -1 when it cannot be read.
    int rate() const;
    // The slave's settings, for reading the data bits, parity and stop bits.
    bool slaveSettings(termios& settings) const;

    // Closes both ends: the slave's path vanishes as a pulled adapter does.
    void close();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

// Bits a second of a termios speed, or -1 for one the line never uses.
int rateOf(speed_t speed);

} // namespace qlv::pty
