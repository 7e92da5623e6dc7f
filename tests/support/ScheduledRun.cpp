#include "support/ScheduledRun.h"

#include "support/TempProgramFolder.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

namespace ombrix::test {

ScheduledRun ScheduledRun::run(const QString& home, int limitMs)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QDir(binDir()).filePath(QStringLiteral("ombrix")), {QStringLiteral("-start")});
    ScheduledRun outcome;
    outcome.finished = process.waitForFinished(limitMs);
    if (!outcome.finished) {
        process.kill();
        process.waitForFinished();
    }
    outcome.exitCode = process.exitCode();
    outcome.output = QString::fromUtf8(process.readAllStandardOutput());
    return outcome;
}

} // namespace ombrix::test
