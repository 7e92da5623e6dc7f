#include "BackupFixture.h"
#include "core/catalog/SetLayout.h"
#include "core/util/RunProgress.h"
#include "core/util/RunSummary.h"

#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

using BackupProgressAndSummaryTest = BackupFixture;

constexpr int fileSize = 1000;

// The line RunProgress gives with this much done of the totals (the fixture's clock stands still
// during a run, so no rate or time left is in it).
QString progressLine(qint64 filesTotal, qint64 bytesTotal, qint64 filesDone, qint64 bytesDone)
{
    RunProgress progress(filesTotal, bytesTotal);
    progress.resumeAt(filesDone, bytesDone);
    return progress.line();
}

// The lines shown under the backup status line from position from on, the clearing ones left out.
QStringList shownDetails(const RecordingHost& host, qsizetype from = 0)
{
    QStringList shown = host.progressDetails(Page::Backup).mid(from);
    shown.removeAll(QString());
    return shown;
}

TEST_F(BackupProgressAndSummaryTest, CleanRunCountsToTheEndAndLeavesTheRunLogAsItWas)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        writeSource(QString::fromLatin1(name), QByteArray(fileSize, name[0]));
    restartProgram();
    pressStart();

    const QString set = lastSet();
    ASSERT_FALSE(set.isEmpty());
    const QStringList details = shownDetails(host);
    ASSERT_GE(details.size(), 2);
    EXPECT_EQ(details.first(), progressLine(3, 3 * fileSize, 0, 0));
    EXPECT_EQ(details.last(), progressLine(3, 3 * fileSize, 3, 3 * fileSize));

    const std::optional<RunSummary>& summary = host.currentSummary(Page::Backup);
    ASSERT_TRUE(summary.has_value()) << "the run showed no summary";
    EXPECT_EQ(summary->kind(), RunSummary::Kind::Backup);
    EXPECT_EQ(summary->setName(), set);
    EXPECT_EQ(summary->filesDone(), 3);
    EXPECT_EQ(summary->bytesDone(), 3 * fileSize);
    EXPECT_EQ(summary->filesNotDone(), 0);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Success);

    // The set's log holds the two header lines and nothing else.
    bool ok = false;
    const QByteArray log =
        extract(SetLayout::sideArchivePath(destination.path(), set, SetLayout::logFile), {}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(log.size(), RunLog::emptyRunLogSize) << log.toStdString();
    EXPECT_FALSE(log.contains("Summary"));
}

TEST_F(BackupProgressAndSummaryTest, FileThatCannotBeReadMakesAWarningSummaryThatTheLogKeeps)
{
    writeSource(QStringLiteral("a.txt"), QByteArray(fileSize, 'a'));
    writeSource(QStringLiteral("b.txt"), QByteArray(fileSize, 'b'));
    const QString vanishing = writeSource(QStringLiteral("c.txt"), QByteArray(fileSize, 'c'));
    restartProgram();
    host.setPumpHook([&] {
        if (archivedHints().size() == 1)
            QFile::remove(vanishing);
    });
    pressStart();
    host.setPumpHook({});

    const QString set = lastSet();
    ASSERT_FALSE(set.isEmpty());
    const std::optional<RunSummary>& summary = host.currentSummary(Page::Backup);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->filesDone(), 2);
    EXPECT_EQ(summary->bytesDone(), 2 * fileSize);
    EXPECT_EQ(summary->filesNotDone(), 1);
    EXPECT_TRUE(summary->completed());
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Warning);
    // Every file was dealt with, the one given up included.
    EXPECT_TRUE(shownDetails(host).last().startsWith(progressLine(3, -1, 3, 0)))
        << shownDetails(host).last().toStdString();

    bool ok = false;
    const QString log = QString::fromUtf8(
        extract(SetLayout::sideArchivePath(destination.path(), set, SetLayout::logFile), {}, &ok));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(log.contains(summary->logLine())) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("files not archived 1"))) << log.toStdString();
}

TEST_F(BackupProgressAndSummaryTest, StoppedRunIsInterruptedAndTheContinuedOneCountsOnFromWhereItStopped)
{
    writeSource(QStringLiteral("a.txt"), QByteArray(fileSize, 'a'));
    writeSource(QStringLiteral("b.txt"), QByteArray(fileSize, 'b'));
    writeSource(QStringLiteral("c.txt"), QByteArray(fileSize, 'c'));
    restartProgram();
    // STOP while the status line names the third file.
    bool pressed = false;
    host.setPumpHook([&] {
        if (!pressed && run->showsStop() &&
            host.currentStatus(Page::Backup).contains(QStringLiteral("c.txt"))) {
            pressed = true;
            run->BitBtn1Click();
        }
    });
    pressStart();
    host.setPumpHook({});
    ASSERT_TRUE(pressed);
    ASSERT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"));
    ASSERT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("2"));

    const std::optional<RunSummary>& stopped = host.currentSummary(Page::Backup);
    ASSERT_TRUE(stopped.has_value());
    EXPECT_FALSE(stopped->completed());
    EXPECT_EQ(stopped->verdict(), RunSummary::Verdict::Interrupted);
    EXPECT_GE(stopped->filesDone(), 2);
    EXPECT_TRUE(stopped->logLine().startsWith(QStringLiteral("Summary: interrupted, ")));
    // The log that stays for the continued run says so.
    const QString log = QString::fromUtf8(program->read(QStringLiteral("log.txt")));
    EXPECT_TRUE(log.contains(stopped->logLine())) << log.toStdString();

    restartProgram();
    const qsizetype before = host.progressDetails(Page::Backup).size();
    pressStart();
    ASSERT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    // The summary of the stopped run went when the continued one started.
    const std::optional<RunSummary>& continued = host.currentSummary(Page::Backup);
    ASSERT_TRUE(continued.has_value());
    EXPECT_EQ(continued->verdict(), RunSummary::Verdict::Success);
    EXPECT_EQ(continued->filesDone(), 1);
    const QStringList details = shownDetails(host, before);
    ASSERT_FALSE(details.isEmpty());
    EXPECT_EQ(details.first(), progressLine(3, 3 * fileSize, 2, 2 * fileSize));
    EXPECT_EQ(details.last(), progressLine(3, 3 * fileSize, 3, 3 * fileSize));
}

// Every file archived, but the program to run before the backup could not be started: the run
// ends with the warning, and its summary (and so the tray word) says warning too, not success.
TEST_F(BackupProgressAndSummaryTest, RunThatEndsWithAWarningOfItsOwnIsNoSuccess)
{
    writeSource(QStringLiteral("a.txt"), QByteArray(fileSize, 'a'));
    restartProgram();
    controls.checkBox1 = true;
    controls.edit6 = QStringLiteral("/nowhere/no-such-program-before");
    pressStart();

    const std::optional<RunSummary>& summary = host.currentSummary(Page::Backup);
    ASSERT_TRUE(summary.has_value()) << "the run showed no summary";
    EXPECT_EQ(summary->filesDone(), 1);
    EXPECT_EQ(summary->filesNotDone(), 0);
    EXPECT_EQ(summary->verdict(), RunSummary::Verdict::Warning);
}

} // namespace
} // namespace ombrix::test
