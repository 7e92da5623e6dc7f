#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/util/RunProgress.h"
#include "core/util/RunSummary.h"
#include "support/RestoreFixture.h"

#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

constexpr int fileCount = 6;

// The restore's progress line with this many of the files done (the catalog gives no sizes, and
// the fixture's clock stands still during a run).
QString progressLine(qint64 filesDone)
{
    RunProgress progress(fileCount, -1);
    progress.resumeAt(filesDone, 0);
    return progress.line();
}

// A set of fileCount files of different sizes, chosen for a restore below the restore folder.
class RestoreSummaryTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        for (int i = 0; i < fileCount; ++i) {
            const QByteArray bytes(100 * (i + 1), char('a' + i));
            writeSource(QStringLiteral("f%1.txt").arg(i), bytes);
            totalBytes += bytes.size();
        }
        set = makeSet();
        ASSERT_FALSE(set.isEmpty());
        chooseSet(set);
        controls.folder = restoreDir.path();
    }

    // The lines shown under the restore status line from position from on, clearing ones left out.
    QStringList shownDetails(qsizetype from = 0) const
    {
        QStringList shown = host.progressDetails(Page::Restore).mid(from);
        shown.removeAll(QString());
        return shown;
    }
    QStringList summaryLogLines() const { return runLog->logBuffer().filter(QStringLiteral("Summary: ")); }

    QString set;
    qint64 totalBytes = 0;
};

TEST_F(RestoreSummaryTest, CompleteRestoreSumsUpEveryFileAndLogsNothing)
{
    run->runRestore();
    ASSERT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    const std::optional<RunSummary>& summary = host.currentSummary(Page::Restore);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->kind(), RunSummary::Kind::Restore);
    EXPECT_EQ(summary->setName(), set);
    EXPECT_EQ(summary->filesDone(), fileCount);
    EXPECT_EQ(summary->bytesDone(), totalBytes);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Success);
    EXPECT_EQ(shownDetails().first(), progressLine(0));
    EXPECT_EQ(shownDetails().last(), progressLine(fileCount));
    EXPECT_TRUE(summaryLogLines().isEmpty()) << summaryLogLines().join(u'\n').toStdString();
}

TEST_F(RestoreSummaryTest, FileWhoseArchiveIsGoneMakesAWarningInTheLog)
{
    const QStringList lines = catalogOf(set);
    ASSERT_EQ(lines.size(), fileCount);
    const QString lost = catalogField(lines.at(2), CatalogLine::Path);
    ASSERT_TRUE(QFile::remove(SetLayout::archivePathOfLine(destinationDir.path(), lines.at(2))));

    run->runRestore();
    const std::optional<RunSummary>& summary = host.currentSummary(Page::Restore);
    ASSERT_TRUE(summary.has_value());
    EXPECT_TRUE(summary->completed());
    EXPECT_EQ(summary->filesDone(), fileCount - 1);
    EXPECT_EQ(summary->bytesDone(), totalBytes - QFileInfo(lost).size());
    EXPECT_EQ(summary->filesNotDone(), 1);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Warning);
    // The file given up is dealt with as far as the progress goes.
    EXPECT_EQ(shownDetails().last(), progressLine(fileCount));
    EXPECT_EQ(summaryLogLines(), QStringList{summary->logLine()});
    EXPECT_TRUE(summary->logLine().endsWith(QStringLiteral("files not restored 1")))
        << summary->logLine().toStdString();
}

TEST_F(RestoreSummaryTest, StoppedRestoreIsInterruptedAndTheContinuedOneCountsOnFromItsLine)
{
    const QString fourth = catalogField(catalogOf(set).at(3), CatalogLine::Path);
    host.setPumpHook([&] {
        if (run->showsStop() && host.currentStatus(Page::Restore).contains(QFileInfo(fourth).fileName()))
            run->runRestore();
    });
    run->runRestore();
    host.setPumpHook({});
    ASSERT_EQ(config->readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 3);

    const std::optional<RunSummary>& stopped = host.currentSummary(Page::Restore);
    ASSERT_TRUE(stopped.has_value());
    EXPECT_EQ(stopped->verdict(), RunSummary::Verdict::Interrupted);
    EXPECT_GE(stopped->filesDone(), 3);
    EXPECT_LT(stopped->filesDone(), fileCount);
    EXPECT_EQ(shownDetails().last(), progressLine(stopped->filesDone()));
    EXPECT_EQ(summaryLogLines(), QStringList{stopped->logLine()});
    EXPECT_TRUE(stopped->logLine().startsWith(QStringLiteral("Summary: interrupted, ")));

    makeRun();
    run->resumeRestoreAtStart();
    ASSERT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    const qsizetype before = host.progressDetails(Page::Restore).size();
    run->runRestore();
    ASSERT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    const std::optional<RunSummary>& continued = host.currentSummary(Page::Restore);
    ASSERT_TRUE(continued.has_value());
    EXPECT_EQ(continued->verdict(), RunSummary::Verdict::Success);
    EXPECT_EQ(continued->filesDone(), fileCount - 3);
    ASSERT_FALSE(shownDetails(before).isEmpty());
    EXPECT_EQ(shownDetails(before).first(), progressLine(3));
    EXPECT_EQ(shownDetails(before).last(), progressLine(fileCount));
}

} // namespace
} // namespace ombrix::test
