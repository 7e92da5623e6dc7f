#include "core/catalog/CatalogFile.h"
#include "ServerChainFixture.h"
#include "support/ArchiverWrapper.h"
#include "support/CrashChecks.h"
#include "support/KillTestChain.h"
#include "support/RestoreKillChecks.h"
#include "support/WorkerKill.h"
#include "support/WorkerProcess.h"

#include <QDir>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

// The kill tests' chain on the FTP server (made by the real backup run), restored by worker
// starts that read the sets from the server config.ini names.
class RestoreKillOnFtp : public ServerChainFixture
{
  protected:
    void makeChain()
    {
        makeKillTestChain(
            {[this](const QString& relPath, const QByteArray& bytes) { writeSource(relPath, bytes); },
             [this](const QString& relPath) { removeSource(relPath); }, [this] { addSet(); }});
    }

    // recoverylist.csv from the set's catalog as downloaded from the server, as choosing the set
    // in the archive browser makes it.
    void chooseSet(const QString& set)
    {
        reopenConnection();
        const QStringList catalog = storedCatalog(set);
        ASSERT_FALSE(catalog.isEmpty()) << "no catalog downloaded from " << set.toStdString();
        ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalog));
    }

    // Where a restore below folder puts the source folder.
    QString restoredSources(const QTemporaryDir& folder) const
    {
        return QDir::cleanPath(folder.path() + QLatin1Char('/') + sourceDir.path());
    }

    ArchiverWrapper wrapper;
    QTemporaryDir restoreDir;
};

// A restore from the FTP server killed with SIGKILL at each of its steps — while a file is
// extracted from its download (the first of a start, and some later one), and just when it has
// shown its completion — and continued by fresh program starts ends with the same tree as an
// uninterrupted restore of the same set from the server, and leaves no pending restore, no
// download and no archiver behind. Once for the set after the deletions (three sets named in its
// catalog) and once for the last set (five).
TEST_F(RestoreKillOnFtp, KilledRestoreFromTheServerContinuesToTheTreeOfAnUninterruptedOne)
{
    ASSERT_TRUE(wrapper.isValid());
    ASSERT_TRUE(restoreDir.isValid());
    ASSERT_NO_FATAL_FAILURE(makeChain());
    ASSERT_EQ(sets.size(), 5) << "the chain on the server was not made";
    // On the server each file is extracted from its download in the program folder.
    const ArchiverWrapper::Call extraction{QStringLiteral("e"), QStringLiteral("*/f*.bin.7z.tmp")};
    // Every helper names a download in the program folder or a folder below the restore folder.
    const QStringList watched{program->path(), restoreDir.path()};
    for (const int chosen : {2, 4}) {
        const QString set = sets[chosen];
        SCOPED_TRACE(set.toStdString());
        QTemporaryDir uninterrupted(restoreDir.filePath(QStringLiteral("whole-XXXXXX")));
        QTemporaryDir killed(restoreDir.filePath(QStringLiteral("killed-XXXXXX")));
        ASSERT_TRUE(uninterrupted.isValid() && killed.isValid());

        ASSERT_NO_FATAL_FAILURE(chooseSet(set));
        WorkerProcess whole(QStringLiteral("restore"),
                            RestoreKillChecks::workerEnvironment(set, uninterrupted.path()));
        ASSERT_EQ(whole.run(), WorkerProcess::Outcome::Finished)
            << "the uninterrupted restore from the server did not finish:\n"
            << whole.output().toStdString();
        RestoreKillChecks::expectFinished(*config, program->path());

        ASSERT_NO_FATAL_FAILURE(chooseSet(set));
        WorkerProcess worker(QStringLiteral("restore"),
                             RestoreKillChecks::workerEnvironment(set, killed.path()));
        ASSERT_TRUE(killAtEachAndFinish(worker, wrapper, RestoreKillChecks::killPoints(extraction), watched,
                                        [this] { return RestoreKillChecks::pending(*config); }));

        RestoreKillChecks::expectFinished(*config, program->path());
        RestoreKillChecks::expectSameTree(states[size_t(chosen)], treeOf(restoredSources(uninterrupted)),
                                          treeOf(restoredSources(killed)), treeOf(killed.path()).size());
        EXPECT_EQ(CrashChecks::programTmpFiles(program->path()), QStringList())
            << "downloads or archiver work files left in the program folder";
        EXPECT_EQ(CrashChecks::tmpFiles({restoreDir.path()}), QStringList())
            << "work files left below the restore folder";
        EXPECT_EQ(CrashChecks::liveHelpers(watched, 0), QStringList()) << "helpers still running";
    }
}

} // namespace
} // namespace ombrix::test
