#include "platform/SystemdUserManager.h"

#include <QProcess>
#include <utility>

namespace ombrix::platform {

SystemdUserManager::SystemdUserManager(QString program, int timeoutMs)
    : m_program(std::move(program)), m_timeoutMs(timeoutMs)
{
}

SystemdUserManager::Finished SystemdUserManager::execute(const QStringList& arguments) const
{
    Finished finished;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(m_program, QStringList{QStringLiteral("--user")} + arguments);
    if (!process.waitForStarted(m_timeoutMs)) {
        finished.errorOutput =
            QStringLiteral("%1 could not be started: %2").arg(m_program, process.errorString());
        return finished;
    }
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        finished.errorOutput = QStringLiteral("%1 did not answer").arg(m_program);
        return finished;
    }
    finished.ran = process.exitStatus() == QProcess::NormalExit;
    finished.exitCode = process.exitCode();
    finished.standardOutput = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    finished.errorOutput = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return finished;
}

bool SystemdUserManager::isAvailable()
{
    // The answer, not the exit code, tells: "degraded" ends with code 1 but the manager runs.
    static const QStringList answering = {
        QStringLiteral("initializing"), QStringLiteral("starting"),    QStringLiteral("running"),
        QStringLiteral("degraded"),     QStringLiteral("maintenance"), QStringLiteral("stopping"),
    };
    const Finished finished = execute({QStringLiteral("is-system-running")});
    const QString state = finished.standardOutput.section(QLatin1Char('\n'), 0, 0).trimmed();
    return finished.ran && answering.contains(state);
}

ServiceCommandResult SystemdUserManager::run(const QStringList& arguments)
{
    const Finished finished = execute(arguments);
    ServiceCommandResult result;
    result.ok = finished.ran && finished.exitCode == 0;
    QStringList said;
    for (const QString& part : {finished.standardOutput, finished.errorOutput}) {
        if (!part.isEmpty())
            said << part;
    }
    result.output = said.join(QLatin1Char('\n'));
    return result;
}

} // namespace ombrix::platform
