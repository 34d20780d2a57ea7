// k817t-sim run for one test: started on its own pseudo-terminal, whose path it prints first,
// and stopped (SIGTERM) when the test ends.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qlv::test {

class SimulatorProcess {
public:
    // program: the simulator's path (each test target knows it); folder: its working folder,
    // where it keeps its EEPROM file, or the test's own when empty.
    SimulatorProcess(const QString& program, const QStringList& options,
                     const QString& folder = QString());
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The pseudo-terminal's path; empty when the simulator did not start.
    const QString& path() const { return m_path; }
    // What it logged so far.
    QString log();
    bool finishesByItself() { return m_process.waitForFinished(5000); }

private:
    QProcess m_process;
    QString m_path;
    QString m_log;
};

} // namespace qlv::test
