#include "BackupFixture.h"
#include "core/util/Clock.h"
#include "support/CrashChecks.h"
#include "support/WorkerProcess.h"
#include "support/WorkerRuns.h"

#include <QDirIterator>
#include <QRandomGenerator>

namespace ombrix::test {
namespace {

const QString workerVariable = QStringLiteral("OMBRIX_CRASH_WORKER_ATTEMPT");

// One program start in a child process: the readiness check and one press of START on the
// program folder of OMBRIX_HOME. The parent kills it at a random moment.
TEST(CrashWorker, StartAndRun)
{
    if (!qEnvironmentVariableIsSet("OMBRIX_CRASH_WORKER_ATTEMPT"))
        GTEST_SKIP() << "runs only as the child of CrashResumeTest";
    const int attempt = qEnvironmentVariableIntValue("OMBRIX_CRASH_WORKER_ATTEMPT");
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), Qt::UTC).addSecs(60LL * attempt), 0, false);
    EXPECT_TRUE(WorkerRuns::backup());
}

using CrashResumeTest = BackupFixture;

// A run killed again and again at random moments, then let run to its end, leaves a set from
// which every source file restores; then the same for an incremental run.
TEST_F(CrashResumeTest, KilledRunsResumeToACompleteSet)
{
    for (int i = 0; i < 30; ++i) {
        const QByteArray bytes =
            i % 6 == 0 ? randomBytes(3 * 1024 * 1024 + i) : QByteArray::number(i).repeated(100);
        writeSource(QStringLiteral("dir%1/file%2.dat").arg(i % 4).arg(i), bytes);
    }
    run.reset();
    readiness.reset();

    QRandomGenerator random(20240506);
    int attempt = 0;
    int leftUnfinished = 0; // kills that hit a run after its catalog was written
    for (int round = 0; round < 2; ++round) {
        for (int kill = 0; kill < 6; ++kill) {
            ++attempt;
            WorkerProcess worker(QStringLiteral("CrashWorker.StartAndRun"),
                                 {{workerVariable, QString::number(attempt)}});
            const WorkerProcess::Outcome outcome = worker.run(int(random.bounded(50, 900)));
            ASSERT_NE(outcome, WorkerProcess::Outcome::Failed) << worker.output().toStdString();
            const QStringList helpers =
                CrashChecks::liveHelpers({program->path(), destination.path(), sources.path()});
            EXPECT_TRUE(helpers.isEmpty()) << helpers.join(QLatin1Char('\n')).toStdString();
            if (outcome == WorkerProcess::Outcome::Killed &&
                configValue(ConfigKeys::LAST_BACKUP_DONE) == QStringLiteral("0"))
                ++leftUnfinished;
        }
        WorkerProcess last(QStringLiteral("CrashWorker.StartAndRun"),
                           {{workerVariable, QString::number(++attempt)}});
        ASSERT_EQ(last.run(-1), WorkerProcess::Outcome::Finished) << last.output().toStdString();
        EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
        const QStringList leftInProgram = CrashChecks::programTmpFiles(program->path());
        EXPECT_TRUE(leftInProgram.isEmpty()) << leftInProgram.join(QLatin1Char('\n')).toStdString();
        const QStringList tmpFiles = CrashChecks::tmpFiles({destination.path()});
        EXPECT_TRUE(tmpFiles.isEmpty()) << tmpFiles.join(QLatin1Char('\n')).toStdString();
        // The resumed run cleared the scratch archives the killed ones left in the set.
        QStringList scratch;
        QDirIterator it(destination.path(), {QStringLiteral(".ombrix-*")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            scratch << it.next();
        EXPECT_TRUE(scratch.isEmpty()) << scratch.join(QLatin1Char('\n')).toStdString();
        expectRestorable(lastSet());

        // Changes for the incremental round.
        for (int i = 0; i < 30; i += 4)
            writeSource(QStringLiteral("dir%1/file%2.dat").arg(i % 4).arg(i), randomBytes(1024 * 1024 + i),
                        3600);
    }
    // The kills must have cut into runs, or the test proved nothing about resuming.
    EXPECT_GE(leftUnfinished, 2);
}

} // namespace
} // namespace ombrix::test
