#include "simulatorprocess.h"

namespace qlv::test {

SimulatorProcess::SimulatorProcess(const QString& program, const QStringList& options,
                                   const QString& folder)
{
    if (!folder.isEmpty())
        m_process.setWorkingDirectory(folder);
    m_process.start(program, options);
    if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() == QProcess::Running) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
}

QString SimulatorProcess::log()
{
    m_process.waitForReadyRead(100);
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_log;
}

} // namespace qlv::test
