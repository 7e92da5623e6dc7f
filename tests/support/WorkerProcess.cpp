#include "support/WorkerProcess.h"

#include <csignal>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace ombrix::test {

WorkerProcess::WorkerProcess(const QString& testName, const QMap<QString, QString>& environment)
    : m_testName(testName), m_environment(environment)
{
}

WorkerProcess::Outcome WorkerProcess::run(int killAfterMs, int timeoutMs)
{
    QProcess worker;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    worker.setProcessEnvironment(environment);
    worker.setProcessChannelMode(QProcess::MergedChannels);
    worker.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + m_testName});
    m_output.clear();
    if (!worker.waitForStarted())
        return Outcome::Failed;

    // waitForFinished() answers false for a process that has already ended, so the outcome is
    // read from the state after each wait, never from the wait's own answer.
    const int firstWait = killAfterMs >= 0 ? killAfterMs : timeoutMs;
    worker.waitForFinished(firstWait);
    const bool ended = worker.state() == QProcess::NotRunning;
    if (!ended) {
        ::kill(pid_t(worker.processId()), SIGKILL);
        worker.waitForFinished(10000);
    }
    m_output = worker.readAll();
    if (!ended)
        return killAfterMs >= 0 ? Outcome::Killed : Outcome::Failed;
    return worker.exitStatus() == QProcess::NormalExit && worker.exitCode() == 0 ? Outcome::Finished
                                                                                 : Outcome::Failed;
}

} // namespace ombrix::test
