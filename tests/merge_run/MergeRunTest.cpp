#include "merge/MergeRun.h"

#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/util/RunProgress.h"
#include "core/util/RunSummary.h"
#include "merge/MergeControls.h"
#include "support/ArchiverWrapper.h"
#include "support/RestoreFixture.h"
#include "support/TestMergeControls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

class MergeRunTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        merge = std::make_unique<MergeRun>(host, mergeControls, *config, *runLog, runState, archiveState,
                                           *destination);
        merge->setPausePercent(0);
    }

    // Lists the destination's sets and selects positions from..to.
    void selectRange(int from, int to)
    {
        mergeControls.listWithPositions(destination->listSetFolders(), from, to);
    }

    // Runs the merge and presses its button (STOP) once the status names a file of many/m1*;
    // false when the merge ended before it got there.
    bool runMergeStoppedAtTheManyFiles()
    {
        bool pressed = false;
        host.setPumpHook([&] {
            if (!pressed && merge->showsStop() &&
                host.currentStatus(Page::Merge).contains(QStringLiteral("m1"))) {
                pressed = true;
                merge->runMerge();
            }
        });
        merge->runMerge();
        host.setPumpHook({});
        return pressed;
    }

    // Sets A..E: x only in A; y changed in B; z changed in B and C; w only in B and C.
    void makeChain()
    {
        writeSource(QStringLiteral("x.txt"), "x from A");
        writeSource(QStringLiteral("y.txt"), "y from A");
        writeSource(QStringLiteral("z/z.txt"), "z from A");
        for (int i = 0; i < 24; ++i)
            writeSource(QStringLiteral("many/m%1.txt").arg(i, 2, 10, QLatin1Char('0')), "m from A");
        sets << makeSet();
        states.push_back(sourceTree());
        writeSource(QStringLiteral("y.txt"), "y from B");
        writeSource(QStringLiteral("z/z.txt"), "z from B");
        writeSource(QStringLiteral("w.txt"), "w from B");
        for (int i = 0; i < 24; ++i)
            writeSource(QStringLiteral("many/m%1.txt").arg(i, 2, 10, QLatin1Char('0')), "m from B");
        sets << makeSet();
        states.push_back(sourceTree());
        writeSource(QStringLiteral("z/z.txt"), "z from C");
        sets << makeSet();
        states.push_back(sourceTree());
        removeSource(QStringLiteral("w.txt"));
        sets << makeSet();
        states.push_back(sourceTree());
        writeSource(QStringLiteral("e.txt"), "new in E");
        sets << makeSet();
        states.push_back(sourceTree());
    }

    void expectMergedChain()
    {
        EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[3], sets[4]}));
        EXPECT_EQ(restoreStored(sets[0]), states[0]);
        EXPECT_EQ(restoreStored(sets[3]), states[3]);
        EXPECT_EQ(restoreStored(sets[4]), states[4]);
        for (const QString& set : {sets[3], sets[4]}) {
            for (const QString& line : storedCatalog(set)) {
                const QString holder = catalogField(line, CatalogLine::Set);
                EXPECT_TRUE(holder == sets[0] || holder == sets[3] || holder == sets[4])
                    << line.toStdString();
            }
        }
        EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    }

    TestMergeControls mergeControls;
    std::unique_ptr<MergeRun> merge;
    QStringList sets;
    std::vector<Tree> states;
};

TEST_F(MergeRunTest, MergingBToDKeepsTheOtherSetsRestorable)
{
    makeChain();
    selectRange(1, 3);
    merge->runMerge();
    EXPECT_FALSE(merge->refused());
    expectMergedChain();
    EXPECT_TRUE(merge->unmovedFiles().isEmpty());
}

TEST_F(MergeRunTest, StoppedMergeContinuesToTheSameResult)
{
    makeChain();
    selectRange(1, 3);
    ASSERT_TRUE(runMergeStoppedAtTheManyFiles()) << "the merge never reached many/m1*";
    EXPECT_EQ(host.currentStatus(Page::Merge).trimmed(), QStringLiteral("přerušeno uživatelem"));
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(mergeControls.caption, QStringLiteral("pokračovat"));
    // Nothing was deleted and the target restores already.
    EXPECT_EQ(destination->listSetFolders().size(), 5);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);

    selectRange(1, 3);
    merge->runMerge();
    expectMergedChain();
}

TEST_F(MergeRunTest, AFileThatCannotBeMovedKeepsItsSetUntilALaterMerge)
{
    makeChain();
    // A folder in the target where y's archive would go makes its move fail.
    const QString obstacle =
        destinationDir.filePath(sets[3] + QLatin1Char('/') +
                                SetLayout::pathInSet(sourceDir.filePath(QStringLiteral("y.txt")), false));
    ASSERT_TRUE(QDir().mkpath(obstacle));
    selectRange(1, 3);
    merge->runMerge();
    EXPECT_EQ(merge->unmovedFiles(), QStringList{sourceDir.filePath(QStringLiteral("y.txt"))});
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[1], sets[3], sets[4]}));
    EXPECT_EQ(runLog->logBuffer().filter(QStringLiteral("not merged")).size(), 1);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(restoreStored(sets[4]), states[4]);

    ASSERT_TRUE(QDir().rmdir(obstacle));
    selectRange(1, 2);
    merge->runMerge();
    expectMergedChain();
}

TEST_F(MergeRunTest, IncompleteTargetIsRefusedBeforeAnythingChanges)
{
    makeChain();
    ASSERT_TRUE(
        QFile::remove(SetLayout::sideArchivePath(destinationDir.path(), sets[3], SetLayout::logFile)));
    selectRange(1, 3);
    merge->runMerge();
    EXPECT_TRUE(merge->refused());
    EXPECT_EQ(host.currentStatus(Page::Merge).trimmed(),
              QStringLiteral("Přerušeno, neúplný archiv: ") + sets[3]);
    EXPECT_TRUE(mergeControls.entries[3].endsWith(QStringLiteral("    fail")));
    EXPECT_EQ(destination->listSetFolders().size(), 5);
    EXPECT_EQ(storedCatalog(sets[4]), catalogOf(sets[4]));
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
}

// A later catalog that lists fine but cannot be extracted (damaged data): the merge must not delete
// the sets that catalog may still name; it stays unfinished until the catalog can be corrected.
TEST_F(MergeRunTest, UnreadableLaterCatalogKeepsTheMergedSets)
{
    makeChain();
    const QString catalogArchive =
        SetLayout::sideArchivePath(destinationDir.path(), sets[4], SetLayout::catalogFile);
    QFile file(catalogArchive);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray intact = file.readAll();
    file.close();
    QByteArray damaged = intact;
    ASSERT_GT(damaged.size(), 48);
    for (int i = 32; i < 40; ++i)
        damaged[i] = char(damaged[i] ^ 0x5a); // packed data, past the signature header
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damaged);
    file.close();

    selectRange(1, 3);
    merge->runMerge();
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(destination->listSetFolders().size(), 5);
    EXPECT_EQ(mergeControls.caption, QStringLiteral("pokračovat"));
    EXPECT_EQ(host.currentStatus(Page::Merge).trimmed(),
              QStringLiteral("Přerušeno, neúplný archiv: ") + sets[4]);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);

    // Once the catalog is readable again the merge finishes and every kept set restores.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(intact);
    file.close();
    selectRange(1, 3);
    merge->runMerge();
    expectMergedChain();
}

// An encrypted chain: the password that made it merges it, and the merged catalogs stay
// encrypted; a wrong password or none is refused before anything changes, naming the set it
// could not open.
TEST_F(MergeRunTest, EncryptedChainMergesWithItsPasswordAndRefusesAnyOther)
{
    controls.password = QStringLiteral("chain secret");
    makeChain();
    const QStringList laterCatalog = storedCatalog(sets[4]);
    ASSERT_FALSE(laterCatalog.isEmpty());
    for (const QString& other : {QStringLiteral("chain secre"), QString()}) {
        SCOPED_TRACE(other.isEmpty() ? "no password" : "a wrong password");
        mergeControls.password = other;
        selectRange(1, 3);
        merge->runMerge();
        EXPECT_TRUE(merge->refused());
        EXPECT_EQ(host.currentStatus(Page::Merge).trimmed(),
                  QStringLiteral("Přerušeno, neznámé heslo: ") + sets[3]);
        EXPECT_EQ(destination->listSetFolders(), sets);
        EXPECT_EQ(storedCatalog(sets[4]), laterCatalog);
        EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    }

    mergeControls.password = controls.password;
    selectRange(1, 3);
    merge->runMerge();
    EXPECT_FALSE(merge->refused());
    expectMergedChain();
    // The catalogs the merge stored back need the password like the ones the backup wrote.
    controls.password.clear();
    EXPECT_TRUE(storedCatalog(sets[3]).isEmpty()) << "the target's catalog was stored without the password";
    EXPECT_TRUE(storedCatalog(sets[4]).isEmpty()) << "a later catalog was stored without the password";
}

// What merging B..D into D moves: the lines of D's catalog that name B or C, and their archives.
struct MergeWork
{
    qint64 files = 0;
    qint64 bytes = 0;
};

class MergeSummaryTest : public MergeRunTest
{
  protected:
    MergeWork workOfBToD() const
    {
        MergeWork work;
        for (const QString& line : storedCatalog(sets[3])) {
            const QString holder = catalogField(line, CatalogLine::Set);
            if (holder != sets[1] && holder != sets[2])
                continue;
            ++work.files;
            work.bytes += QFileInfo(SetLayout::archivePathOfLine(destinationDir.path(), line)).size();
        }
        return work;
    }
    // The merge's progress line with this much done (files only: the catalog gives no sizes).
    static QString progressLine(qint64 filesTotal, qint64 filesDone)
    {
        RunProgress progress(filesTotal, -1);
        progress.resumeAt(filesDone, 0);
        return progress.line();
    }
    QStringList shownDetails() const
    {
        QStringList shown = host.progressDetails(Page::Merge);
        shown.removeAll(QString());
        return shown;
    }
    QStringList summaryLogLines() const { return runLog->logBuffer().filter(QStringLiteral("Summary: ")); }
};

TEST_F(MergeSummaryTest, CompletedMergeSumsUpTheMovedArchivesAndLogsNothing)
{
    makeChain();
    const MergeWork work = workOfBToD();
    ASSERT_GT(work.files, 0);
    selectRange(1, 3);
    merge->runMerge();
    expectMergedChain();

    const std::optional<RunSummary>& summary = host.currentSummary(Page::Merge);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->kind(), RunSummary::Kind::Merge);
    EXPECT_EQ(summary->setName(), sets[3]);
    EXPECT_EQ(summary->filesDone(), work.files);
    EXPECT_EQ(summary->bytesDone(), work.bytes);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Success);
    ASSERT_FALSE(shownDetails().isEmpty());
    EXPECT_EQ(shownDetails().first(), progressLine(work.files, 0));
    EXPECT_EQ(shownDetails().last(), progressLine(work.files, work.files));
    EXPECT_TRUE(summaryLogLines().isEmpty()) << summaryLogLines().join(u'\n').toStdString();
}

TEST_F(MergeSummaryTest, FileThatCannotBeMovedMakesAWarningInTheLog)
{
    makeChain();
    const MergeWork work = workOfBToD();
    const QString obstacle =
        destinationDir.filePath(sets[3] + QLatin1Char('/') +
                                SetLayout::pathInSet(sourceDir.filePath(QStringLiteral("y.txt")), false));
    ASSERT_TRUE(QDir().mkpath(obstacle));
    selectRange(1, 3);
    merge->runMerge();
    ASSERT_EQ(merge->unmovedFiles().size(), 1);

    const std::optional<RunSummary>& summary = host.currentSummary(Page::Merge);
    ASSERT_TRUE(summary.has_value());
    EXPECT_TRUE(summary->completed());
    EXPECT_EQ(summary->filesDone(), work.files - 1);
    EXPECT_EQ(summary->filesNotDone(), 1);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Warning);
    EXPECT_EQ(shownDetails().last(), progressLine(work.files, work.files));
    EXPECT_EQ(summaryLogLines(), QStringList{summary->logLine()});
    EXPECT_TRUE(summary->logLine().endsWith(QStringLiteral("files not moved 1")))
        << summary->logLine().toStdString();
}

TEST_F(MergeSummaryTest, StoppedMergeIsInterruptedInTheSummaryAndTheLog)
{
    makeChain();
    selectRange(1, 3);
    ASSERT_TRUE(runMergeStoppedAtTheManyFiles()) << "the merge never reached many/m1*";
    ASSERT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);

    const std::optional<RunSummary>& summary = host.currentSummary(Page::Merge);
    ASSERT_TRUE(summary.has_value());
    EXPECT_FALSE(summary->completed());
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Interrupted);
    EXPECT_EQ(summaryLogLines(), QStringList{summary->logLine()});
    EXPECT_TRUE(summary->logLine().startsWith(QStringLiteral("Summary: interrupted, ")));

    // The continued merge replaces it with its own.
    selectRange(1, 3);
    merge->runMerge();
    expectMergedChain();
    ASSERT_TRUE(host.currentSummary(Page::Merge).has_value());
    EXPECT_TRUE(host.currentSummary(Page::Merge)->completed());
}

// One archiver call of a merge, made to fail from its occurrence on.
struct FailingStep
{
    const char* name;
    const char* op;
    const char* lastPattern;
    int call;
};

class MergeArchiverFailure : public MergeRunTest, public ::testing::WithParamInterface<FailingStep>
{
};

// The archiver fails at one step of a merge (a full disk, say): the merge stops there, stays
// unfinished and deletes no set, and once the archiver works again continuing it gives the
// result of a merge that never failed.
TEST_P(MergeArchiverFailure, MergeStaysUnfinishedKeepsEverySetAndContinuesToTheSameResult)
{
    const FailingStep step = GetParam();
    makeChain();
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.failFrom({QString::fromLatin1(step.op), QString::fromLatin1(step.lastPattern)}, step.call);
    selectRange(1, 3);
    merge->runMerge();
    EXPECT_GE(wrapper.count(), step.call) << "the merge never came to the archiver call made to fail";
    wrapper.clear();

    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0)
        << "a merge the archiver failed in is recorded as finished";
    EXPECT_EQ(destination->listSetFolders(), sets) << "a set was deleted although the merge did not finish";
    EXPECT_NE(host.currentStatus(Page::Merge).trimmed(), QStringLiteral("Slučování archivu je ukončeno"));
    EXPECT_EQ(mergeControls.caption, QStringLiteral("pokračovat"));

    selectRange(1, 3);
    merge->runMerge();
    expectMergedChain();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MergeArchiverFailure,
    ::testing::Values(FailingStep{"TargetCatalogNotExtracted", "e", "*/archivlist.csv.7z", 1},
                      FailingStep{"TargetCatalogNotStoredBack", "a", "*/archivlist.csv", 1},
                      FailingStep{"LaterCatalogNotExtracted", "e", "*/archivlist.csv.7z", 2},
                      FailingStep{"LaterCatalogNotStoredBack", "a", "*/archivlist.csv", 2}),
    [](const ::testing::TestParamInfo<FailingStep>& info) { return std::string(info.param.name); });

} // namespace ombrix::test
