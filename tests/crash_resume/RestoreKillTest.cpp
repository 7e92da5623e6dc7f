#include "CrashResumeFixture.h"
#include "support/RestoreKillChecks.h"

#include <QDir>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

using RestoreKillTest = CrashResumeFixture;

// A restore killed with SIGKILL at each of its steps — while a file is extracted (the first of
// a start, and some later one), and just when it has shown its completion — and continued by
// fresh program starts ends with the same tree as an uninterrupted restore of the same set:
// every file of the set's state with its content, nothing more; and it leaves no pending
// restore, no work file and no archiver behind. Once for the set after the deletions (a chain
// of three sets) and once for the last set (five sets).
TEST_F(RestoreKillTest, KilledRestoreContinuesToTheTreeOfAnUninterruptedOne)
{
    makeChain();
    const ArchiverWrapper::Call extraction{QStringLiteral("e"), QStringLiteral("*/OMX_*/*.7z")};
    for (const int chosen : {2, 4}) {
        const QString set = sets[chosen];
        SCOPED_TRACE(set.toStdString());
        QTemporaryDir uninterrupted(restoreDir.filePath(QStringLiteral("whole-XXXXXX")));
        QTemporaryDir killed(restoreDir.filePath(QStringLiteral("killed-XXXXXX")));
        ASSERT_TRUE(uninterrupted.isValid() && killed.isValid());

        chooseSet(set);
        WorkerProcess whole(QStringLiteral("restore"),
                            RestoreKillChecks::workerEnvironment(set, uninterrupted.path()));
        ASSERT_EQ(whole.run(), WorkerProcess::Outcome::Finished) << whole.output().toStdString();
        RestoreKillChecks::expectFinished(*config, program->path());

        chooseSet(set);
        WorkerProcess worker(QStringLiteral("restore"),
                             RestoreKillChecks::workerEnvironment(set, killed.path()));
        ASSERT_TRUE(killAtEachAndFinish(worker, RestoreKillChecks::killPoints(extraction),
                                        [this] { return RestoreKillChecks::pending(*config); }));

        RestoreKillChecks::expectFinished(*config, program->path());
        RestoreKillChecks::expectSameTree(
            states[size_t(chosen)],
            treeOf(QDir::cleanPath(uninterrupted.path() + QLatin1Char('/') + sourceDir.path())),
            treeOf(QDir::cleanPath(killed.path() + QLatin1Char('/') + sourceDir.path())),
            treeOf(killed.path()).size());
        expectNothingLeft();
    }
}

} // namespace
} // namespace ombrix::test
