#include "core/log/RunLog.h"

#include "core/log/LogLines.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

using namespace ombrix;
using ombrix::test::TempProgramFolder;

namespace {

const QString setName = QStringLiteral("OMX_2024-03-05_07-08-09");

QByteArray bom()
{
    return QByteArray("\xEF\xBB\xBF");
}

TEST(RunLog, EmptyRunLogIsExactly94Bytes)
{
    TempProgramFolder home;
    RunLog log(home.file("log.txt"));
    ASSERT_TRUE(log.startRun(setName));

    const QByteArray expected = bom() + "Archiv: OMX_2024-03-05_07-08-09\r\n" + QByteArray(56, '-') + "\r\n";
    EXPECT_EQ(home.read("log.txt"), expected);
    EXPECT_EQ(home.read("log.txt").size(), RunLog::emptyRunLogSize);
    EXPECT_EQ(home.read("log.txt").size() - 3, RunLog::emptyRunLogSizeWithoutBom);
}

TEST(RunLog, StartRunReplacesAnOldLogAndBuffer)
{
    TempProgramFolder home;
    home.write("log.txt", bom() + "old line\r\n");
    RunLog log(home.file("log.txt"));
    ASSERT_TRUE(log.load());
    log.setProgressSaveInterval(5);
    ASSERT_TRUE(log.startRun(setName));
    EXPECT_EQ(log.logBuffer(), RunLog::header(setName));
    // Buffered: the old file is gone and the header waits for the next checkpoint.
    EXPECT_FALSE(QFileInfo::exists(home.file("log.txt")));
}

class UnbufferedInterval : public ::testing::TestWithParam<int>
{
};

TEST_P(UnbufferedInterval, EveryLineRewritesTheWholeFile)
{
    TempProgramFolder home;
    RunLog log(home.file("log.txt"));
    log.setProgressSaveInterval(GetParam());
    ASSERT_TRUE(log.startRun(setName));
    ASSERT_TRUE(log.dologu(logline::notArchived + QStringLiteral("/home/jan/Dokumenty/žluťoučký kůň.txt")));
    EXPECT_EQ(home.read("log.txt"), bom() + "Archiv: " + setName.toUtf8() + "\r\n" + QByteArray(56, '-') +
                                        "\r\nnot archived: /home/jan/Dokumenty/žluťoučký kůň.txt\r\n");

    // A report written over the file meanwhile is replaced by the buffer at the next line.
    home.write("log.txt", "test report\r\n");
    ASSERT_TRUE(log.dologu(logline::emailError + QStringLiteral("timeout")));
    EXPECT_TRUE(home.read("log.txt").startsWith(bom()));
    EXPECT_EQ(TextFile::readLines(home.file("log.txt")).lines, log.logBuffer());
}

INSTANTIATE_TEST_SUITE_P(BelowTwo, UnbufferedInterval, ::testing::Values(1, 0, -3));

TEST(RunLog, BufferedModeDoesNotTouchTheDiskUntilSave)
{
    TempProgramFolder home;
    const QByteArray report = "report of the archive test\r\n";
    home.write("log.txt", report);
    RunLog log(home.file("log.txt"));
    log.setProgressSaveInterval(5);
    EXPECT_TRUE(log.dologu(QStringLiteral("line one")));
    EXPECT_TRUE(log.dologu(QStringLiteral("line two")));
    EXPECT_EQ(home.read("log.txt"), report);

    ASSERT_TRUE(log.save());
    EXPECT_EQ(home.read("log.txt"), bom() + "line one\r\nline two\r\n");
}

TEST(RunLog, ReloadAfterRestartContinuesTheLog)
{
    TempProgramFolder home;
    {
        RunLog first(home.file("log.txt"));
        first.startRun(setName);
        first.dologu(logline::missingStorage + QStringLiteral("/media/jan/USB"));
    }
    RunLog second(home.file("log.txt"));
    ASSERT_TRUE(second.load());
    EXPECT_EQ(second.logBuffer().size(), 3);
    ASSERT_TRUE(second.dologu(logline::invalidRecord + QStringLiteral("/home/jan/zmizelo")));

    const QByteArray expected = bom() + "Archiv: " + setName.toUtf8() + "\r\n" + QByteArray(56, '-') +
                                "\r\nMissing storage in sources list: /media/jan/USB\r\n"
                                "Invalid record in sources list: /home/jan/zmizelo\r\n";
    EXPECT_EQ(home.read("log.txt"), expected);
}

TEST(RunLog, LoadWithoutFileLeavesAnEmptyBuffer)
{
    TempProgramFolder home;
    RunLog log(home.file("log.txt"));
    log.dologu(QStringLiteral("stale"));
    QFile::remove(home.file("log.txt"));
    EXPECT_FALSE(log.load());
    EXPECT_TRUE(log.logBuffer().isEmpty());
}

TEST(RunLog, DamagedFilesLoadWithoutCrashing)
{
    TempProgramFolder home;
    RunLog log(home.file("log.txt"));

    home.write("log.txt", QByteArray("first\0line\r\nsecond", 18));
    ASSERT_TRUE(log.load());
    EXPECT_EQ(log.logBuffer(), (QStringList{QStringLiteral("firstline"), QStringLiteral("second")}));

    home.write("log.txt", QByteArray("\xFF\xFE\xFD bad\r\n\xC3"));
    ASSERT_TRUE(log.load());
    EXPECT_EQ(log.logBuffer().size(), 1);
    EXPECT_TRUE(log.dologu(QStringLiteral("after")));
    EXPECT_TRUE(home.read("log.txt").startsWith(bom()));
}

TEST(RunLog, RemoveFileKeepsTheBuffer)
{
    TempProgramFolder home;
    RunLog log(home.file("log.txt"));
    log.startRun(setName);
    EXPECT_TRUE(log.removeFile());
    EXPECT_FALSE(QFileInfo::exists(home.file("log.txt")));
    EXPECT_EQ(log.logBuffer(), RunLog::header(setName));
    EXPECT_TRUE(log.removeFile());
}

TEST(RunLog, FailedWriteIsReportedAndTheLineKept)
{
    TempProgramFolder home;
    RunLog log(home.file("missing-folder/log.txt"));
    EXPECT_FALSE(log.dologu(QStringLiteral("line")));
    EXPECT_EQ(log.logBuffer(), QStringList{QStringLiteral("line")});
}

TEST(LogLines, FtpUploadErrorJoinsErrorAndPath)
{
    EXPECT_EQ(logline::ftpUploadError(QStringLiteral("550 denied"), QStringLiteral("/a/b.txt")),
              QStringLiteral("ftp error: 550 denied: /a/b.txt"));
}

} // namespace
