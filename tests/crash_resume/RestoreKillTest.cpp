#include "core/config/ConfigKeys.h"
#include "CrashResumeFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

using RestoreKillTest = CrashResumeFixture;

// A restore killed with SIGKILL at random moments and continued by fresh program starts ends
// with the same tree as an uninterrupted restore of the same set: every file of the set's
// state with its content, nothing more; and it leaves no pending restore, no work file and no
// archiver behind. Once for the set after the deletions (a chain of three sets) and once for
// the last set (five sets).
TEST_F(RestoreKillTest, KilledRestoreContinuesToTheTreeOfAnUninterruptedOne)
{
    makeChain();
    int cutIn = 0;
    for (const int chosen : {2, 4}) {
        const QString set = sets[chosen];
        QTemporaryDir uninterrupted(restoreDir.filePath(QStringLiteral("whole-XXXXXX")));
        QTemporaryDir killed(restoreDir.filePath(QStringLiteral("killed-XXXXXX")));
        ASSERT_TRUE(uninterrupted.isValid() && killed.isValid());

        chooseSet(set);
        WorkerProcess whole(QStringLiteral("CrashWorker.Restore"),
                            {{QStringLiteral("OMBRIX_CRASH_RESTORE_SET"), set},
                             {QStringLiteral("OMBRIX_CRASH_RESTORE_DIR"), uninterrupted.path()}});
        const int span = timedRun(whole);
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);

        chooseSet(set);
        WorkerProcess worker(QStringLiteral("CrashWorker.Restore"),
                             {{QStringLiteral("OMBRIX_CRASH_RESTORE_SET"), set},
                              {QStringLiteral("OMBRIX_CRASH_RESTORE_DIR"), killed.path()}});
        const Series series = killAndFinish(
            worker, 6, span, [this] { return config->readInt(ConfigKeys::RECOVERY_DONE, 1) == 0; });
        ASSERT_TRUE(series.finished) << series.output.toStdString();
        cutIn += series.cutIn;

        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
        EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("<none>")), QString());
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 0);
        EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("recoverylist.csv"))));

        const Tree whole_tree =
            treeOf(QDir::cleanPath(uninterrupted.path() + QLatin1Char('/') + sourceDir.path()));
        const Tree killed_tree = treeOf(QDir::cleanPath(killed.path() + QLatin1Char('/') + sourceDir.path()));
        EXPECT_EQ(whole_tree, states[size_t(chosen)]) << set.toStdString();
        EXPECT_TRUE(killed_tree == whole_tree)
            << "the killed restore of " << set.toStdString() << " differs from the uninterrupted one";
        for (const auto& [name, bytes] : whole_tree) {
            const auto found = killed_tree.find(name);
            EXPECT_TRUE(found != killed_tree.end() && found->second == bytes)
                << (found == killed_tree.end() ? "missing: " : "content differs: ") << name.toStdString();
        }
        for (const auto& entry : killed_tree)
            EXPECT_TRUE(whole_tree.count(entry.first)) << "not in the set: " << entry.first.toStdString();
        // Nothing but the restored tree below the restore folder.
        EXPECT_EQ(treeOf(killed.path()).size(), killed_tree.size());
        expectNothingLeft();
    }
    // The kills must have cut into restores, or nothing about continuing was shown.
    EXPECT_GE(cutIn, 2);
}

} // namespace
} // namespace ombrix::test
