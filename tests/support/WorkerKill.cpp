#include "support/WorkerKill.h"

#include "support/CrashChecks.h"
#include "support/WorkerProcess.h"

#include <gtest/gtest.h>

namespace ombrix::test {

namespace {

constexpr int reachTimeoutMs = 120000;

} // namespace

bool killWorkerAt(WorkerProcess& worker, ArchiverWrapper& wrapper, const KillPoint& point, QString* target)
{
    if (point.status.isEmpty()) {
        wrapper.pauseAt(point.call, point.occurrence);
        worker.setEnvironment(QStringLiteral("OMBRIX_WORKER_KILL_STATUS"), QString());
    } else {
        wrapper.clear();
        worker.setEnvironment(QStringLiteral("OMBRIX_WORKER_KILL_STATUS"), point.status);
        worker.setEnvironment(QStringLiteral("OMBRIX_WORKER_KILL_PUMP"), QString::number(point.occurrence));
    }
    const QMap<QString, QString> environment = wrapper.environment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        worker.setEnvironment(it.key(), it.value());
    if (!worker.start()) {
        ADD_FAILURE() << point.step.toStdString() << ": the worker did not start";
        return false;
    }

    if (!point.status.isEmpty()) {
        const WorkerProcess::Outcome outcome = worker.wait(reachTimeoutMs);
        const bool landed =
            outcome == WorkerProcess::Outcome::Failed && worker.output().contains("killed during: ");
        EXPECT_TRUE(landed) << point.step.toStdString() << ": the worker never showed \""
                            << point.status.toStdString() << "\"\n"
                            << worker.output().toStdString();
        worker.setEnvironment(QStringLiteral("OMBRIX_WORKER_KILL_STATUS"), QString());
        return landed;
    }

    const bool paused = wrapper.waitForPause(reachTimeoutMs, [&worker] { return worker.running(); });
    if (!paused) {
        worker.kill();
        ADD_FAILURE() << point.step.toStdString() << ": the worker ended before archiver call "
                      << point.occurrence << " of " << point.call.op.toStdString() << " "
                      << point.call.lastPattern.toStdString() << "\n"
                      << worker.output().toStdString();
        return false;
    }
    const qint64 archiverPid = wrapper.pausedPid();
    if (target)
        *target = wrapper.pausedTarget();
    EXPECT_EQ(worker.kill(), WorkerProcess::Outcome::Killed) << point.step.toStdString();
    // The archiver the worker waited for dies with it.
    EXPECT_TRUE(CrashChecks::processEnded(archiverPid))
        << point.step.toStdString() << ": the archiver outlived the killed program";
    wrapper.clear();
    return true;
}

bool killAtEachAndFinish(WorkerProcess& worker, ArchiverWrapper& wrapper,
                         const std::vector<KillPoint>& points, const QStringList& watchedFolders,
                         const std::function<bool()>& pending)
{
    for (const KillPoint& point : points) {
        if (!killWorkerAt(worker, wrapper, point))
            return false;
        const QStringList helpers = CrashChecks::liveHelpers(watchedFolders);
        EXPECT_TRUE(helpers.isEmpty()) << "after the kill at " << point.step.toStdString() << ":\n"
                                       << helpers.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(pending()) << "the kill at " << point.step.toStdString() << " left nothing to continue";
    }
    // The last start runs the real archiver.
    const QMap<QString, QString> environment = wrapper.environment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        worker.setEnvironment(it.key(), QString());
    const WorkerProcess::Outcome outcome = worker.run();
    EXPECT_EQ(outcome, WorkerProcess::Outcome::Finished) << "the start after the last kill did not finish:\n"
                                                         << worker.output().toStdString();
    return outcome == WorkerProcess::Outcome::Finished;
}

} // namespace ombrix::test
