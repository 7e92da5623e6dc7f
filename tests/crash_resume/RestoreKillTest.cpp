#include "core/config/ConfigKeys.h"
#include "CrashResumeFixture.h"

#include <QDir>
#include <QFileInfo>
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
                            {{QStringLiteral("OMBRIX_WORKER_RESTORE_SET"), set},
                             {QStringLiteral("OMBRIX_WORKER_RESTORE_DIR"), uninterrupted.path()}});
        ASSERT_EQ(whole.run(), WorkerProcess::Outcome::Finished) << whole.output().toStdString();
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);

        chooseSet(set);
        WorkerProcess worker(QStringLiteral("restore"),
                             {{QStringLiteral("OMBRIX_WORKER_RESTORE_SET"), set},
                              {QStringLiteral("OMBRIX_WORKER_RESTORE_DIR"), killed.path()}});
        ASSERT_TRUE(killAtEachAndFinish(
            worker,
            {{QStringLiteral("extracting the first file"), extraction, 1},
             {QStringLiteral("extracting the first file of a continued restore"), extraction, 1},
             {QStringLiteral("extracting a later file"), extraction, 4},
             KillPoint::afterStatus(QStringLiteral("showing the completion"),
                                    QStringLiteral("Obnova dat byla dokončena"))},
            [this] { return config->readInt(ConfigKeys::RECOVERY_DONE, 1) == 0; }));

        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
        EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("<none>")), QString());
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 0);
        EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("recoverylist.csv"))));

        const Tree whole_tree =
            treeOf(QDir::cleanPath(uninterrupted.path() + QLatin1Char('/') + sourceDir.path()));
        const Tree killed_tree = treeOf(QDir::cleanPath(killed.path() + QLatin1Char('/') + sourceDir.path()));
        EXPECT_EQ(whole_tree, states[size_t(chosen)]);
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
}

} // namespace
} // namespace ombrix::test
