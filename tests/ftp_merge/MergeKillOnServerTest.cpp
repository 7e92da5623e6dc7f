#include "core/config/ConfigKeys.h"
#include "MergeFixture.h"
#include "support/ArchiverWrapper.h"
#include "support/CrashChecks.h"
#include "support/WorkerKill.h"
#include "support/WorkerProcess.h"

#include <vector>

namespace ombrix::test {
namespace {

using MergeKillOnFtp = MergeFixture;

// A merge of B..D out of A..E on the FTP server, in program starts of their own (the worker
// merges on the server config.ini names), killed with SIGKILL at each of its steps — reading the
// target's catalog, storing it after the moves (the catalog in place is aside then), storing a
// later set's corrected catalog, deleting the merged sets — and continued by fresh starts until
// one finishes: B and C are gone, A, D and E restore their own states, nothing is left aside or
// half made on the server and no helper outlives a killed start.
TEST_F(MergeKillOnFtp, KilledMergeIsContinuedByTheNextStartsToTheSameResult)
{
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    ASSERT_NO_FATAL_FAILURE(makeChain(4));
    // The stored range, as the merge page stores it before the merge button is pressed.
    ASSERT_TRUE(config->writeString(ConfigKeys::SUM_FROM, stamp(1)));
    ASSERT_TRUE(config->writeString(ConfigKeys::SUM_TO, stamp(3)));

    // On the server a catalog is extracted from its download in the program folder.
    const ArchiverWrapper::Call catalogRead{QStringLiteral("e"), QStringLiteral("*/archivlist.csv.7z.tmp")};
    const ArchiverWrapper::Call catalogStore{QStringLiteral("a"),
                                             program->file(QStringLiteral("archivlist.csv"))};
    const std::vector<KillPoint> points{
        {QStringLiteral("reading the target's catalog"), catalogRead, 1},
        {QStringLiteral("storing the target's catalog after the moves"), catalogStore, 1},
        {QStringLiteral("storing the later set's catalog"), catalogStore, 2},
        // C is deleted, B not yet.
        KillPoint::afterStatus(QStringLiteral("deleting the merged sets"),
                               QStringLiteral("mazání archivu ") + sets[1]),
    };
    // Every helper (the archiver, the uploader) names a file of the program folder.
    const QStringList watched{program->path()};
    WorkerProcess worker(QStringLiteral("merge"), {});
    ASSERT_TRUE(killAtEachAndFinish(worker, wrapper, points, watched,
                                    [this] { return config->readInt(ConfigKeys::SUM_DONE, 1) == 0; }));

    expectMergedChain();
    EXPECT_EQ(CrashChecks::programTmpFiles(program->path()), QStringList());
    EXPECT_EQ(CrashChecks::liveHelpers(watched, 0), QStringList());
}

} // namespace
} // namespace ombrix::test
