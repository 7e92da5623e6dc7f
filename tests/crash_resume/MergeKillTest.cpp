#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/text/TextFile.h"
#include "CrashResumeFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

class MergeKillTest : public CrashResumeFixture
{
  protected:
    // The stored range B..D, as the merge page stores it before the merge button is pressed.
    void storeRange(IniStore& store) const
    {
        ASSERT_TRUE(store.writeString(ConfigKeys::SUM_FROM, SetName::withoutPrefix(sets[1])));
        ASSERT_TRUE(store.writeString(ConfigKeys::SUM_TO, SetName::withoutPrefix(sets[3])));
    }

    // Every archive a stored catalog of a remaining set refers to is on the destination.
    void expectNoMissingArchives(const QString& destinationRoot) const
    {
        for (const QString& set : QDir(destinationRoot).entryList({QStringLiteral("OMX_*")}, QDir::Dirs)) {
            const QStringList catalog = storedCatalogIn(destinationRoot, set);
            EXPECT_FALSE(catalog.isEmpty()) << set.toStdString();
            for (const QString& line : catalog)
                EXPECT_TRUE(QFileInfo::exists(SetLayout::archivePathOfLine(destinationRoot, line)))
                    << "missing archive for " << line.toStdString();
        }
    }

    QStringList storedCatalogIn(const QString& destinationRoot, const QString& set) const
    {
        QProcess process;
        process.start(QStringLiteral("7za"),
                      {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-y"), QStringLiteral("-p"),
                       SetLayout::sideArchivePath(destinationRoot, set, SetLayout::catalogFile)});
        process.waitForFinished(60000);
        return TextFile::decodeLines(process.readAllStandardOutput());
    }
};

// A merge of B..D out of A..E killed with SIGKILL at each of its steps — reading the target's
// catalog, storing it after the moves, storing a later set's corrected catalog, deleting the
// merged sets — and continued by fresh program starts until it has finished: B and C are gone,
// A, D and E restore to their own states, their catalogs equal those of an uninterrupted merge
// of a copy, and no catalog refers to an archive that is missing.
TEST_F(MergeKillTest, KilledMergeContinuesToTheResultOfAnUninterruptedOne)
{
    makeChain();
    storeRange(*config);

    // The uninterrupted merge runs on a copy of the program folder and the destination.
    QTemporaryDir copyRoot;
    ASSERT_TRUE(copyRoot.isValid());
    const QString copyProgram = copyRoot.filePath(QStringLiteral("program"));
    const QString copyDestination = copyRoot.filePath(QStringLiteral("dest"));
    ASSERT_TRUE(copyFolder(program->path(), copyProgram));
    ASSERT_TRUE(copyFolder(destinationDir.path(), copyDestination));
    {
        IniStore copyConfig(copyProgram + QStringLiteral("/config.ini"));
        ASSERT_TRUE(copyConfig.writeString(ConfigKeys::BACKUP_DIR, copyDestination));
    }
    WorkerProcess whole(QStringLiteral("merge"), {{QStringLiteral("OMBRIX_HOME"), copyProgram}});
    ASSERT_EQ(whole.run(), WorkerProcess::Outcome::Finished) << whole.output().toStdString();
    const QStringList merged{sets[0], sets[3], sets[4]};
    ASSERT_EQ(QDir(copyDestination).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name), merged);

    const ArchiverWrapper::Call catalogRead{QStringLiteral("e"), QStringLiteral("*/archivlist.csv.7z")};
    const ArchiverWrapper::Call catalogStore{QStringLiteral("a"),
                                             program->file(QStringLiteral("archivlist.csv"))};
    WorkerProcess worker(QStringLiteral("merge"), {});
    ASSERT_TRUE(killAtEachAndFinish(
        worker,
        {{QStringLiteral("reading the target's catalog"), catalogRead, 1},
         {QStringLiteral("storing the target's catalog after the moves"), catalogStore, 1},
         {QStringLiteral("storing the later set's catalog"), catalogStore, 2},
         // C is deleted, B not yet.
         KillPoint::afterStatus(QStringLiteral("deleting the merged sets"),
                                QStringLiteral("mazání archivu ") + sets[1])},
        [this] { return config->readInt(ConfigKeys::SUM_DONE, 1) == 0; }));

    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(destination->listSetFolders(), merged);
    for (const int kept : {0, 3, 4}) {
        EXPECT_EQ(storedCatalog(sets[kept]), storedCatalogIn(copyDestination, sets[kept]))
            << sets[kept].toStdString();
        EXPECT_EQ(restoreStored(sets[kept]), states[size_t(kept)]) << sets[kept].toStdString();
    }
    expectNoMissingArchives(destinationDir.path());
    expectNothingLeft({copyRoot.path()});
}

} // namespace
} // namespace ombrix::test
