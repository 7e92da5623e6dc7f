#include "support/WorkerProcess.h"

#include <csignal>
#include <QProcess>
#include <QProcessEnvironment>

namespace ombrix::test {

QString workerProgram()
{
    return QStringLiteral(OMBRIX_TEST_WORKER);
}

WorkerProcess::WorkerProcess(const QString& mode, const QMap<QString, QString>& environment)
    : m_mode(mode), m_environment(environment)
{
}

WorkerProcess::~WorkerProcess()
{
    if (m_child && m_child->state() != QProcess::NotRunning)
        kill();
}

bool WorkerProcess::start()
{
    m_child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it) {
        if (it.value().isEmpty())
            environment.remove(it.key());
        else
            environment.insert(it.key(), it.value());
    }
    m_child->setProcessEnvironment(environment);
    m_child->setProcessChannelMode(QProcess::MergedChannels);
    m_child->start(workerProgram(), {m_mode});
    m_output.clear();
    return m_child->waitForStarted();
}

bool WorkerProcess::running()
{
    return m_child && m_child->state() != QProcess::NotRunning;
}

WorkerProcess::Outcome WorkerProcess::outcomeOfEnded()
{
    m_output = m_child->readAll();
    if (m_child->exitStatus() != QProcess::NormalExit)
        return Outcome::Failed;
    switch (m_child->exitCode()) {
    case 0:
        return Outcome::Finished;
    case 1:
        return Outcome::Pending;
    default:
        return Outcome::Failed;
    }
}

WorkerProcess::Outcome WorkerProcess::kill()
{
    if (!m_child)
        return Outcome::Failed;
    // waitForFinished() answers false for a process that has already ended, so the outcome is
    // read from the state, never from the wait's own answer.
    if (m_child->state() == QProcess::NotRunning)
        return outcomeOfEnded();
    ::kill(pid_t(m_child->processId()), SIGKILL);
    m_child->waitForFinished(10000);
    m_output = m_child->readAll();
    return Outcome::Killed;
}

WorkerProcess::Outcome WorkerProcess::wait(int timeoutMs)
{
    if (!m_child)
        return Outcome::Failed;
    m_child->waitForFinished(timeoutMs);
    if (m_child->state() != QProcess::NotRunning) {
        kill();
        return Outcome::Failed;
    }
    return outcomeOfEnded();
}

WorkerProcess::Outcome WorkerProcess::run(int timeoutMs)
{
    if (!start())
        return Outcome::Failed;
    return wait(timeoutMs);
}

} // namespace ombrix::test
