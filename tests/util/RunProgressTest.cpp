#include "core/util/RunProgress.h"

#include "core/lang/Translator.h"
#include "core/util/Clock.h"
#include "core/util/FormatDuration.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTimeZone>

using namespace ombrix;

namespace {

constexpr qint64 MiB = 1024 * 1024;

// A pinned clock and the C locale (a point as the decimal separator) for each test.
class RunProgressTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), QTimeZone::utc()), 0, false);
    }
    void TearDown() override
    {
        Clock::clearFake();
        QLocale::setDefault(m_locale);
        // Back to the untranslated Czech texts for the other tests.
        Translator::global().setCurrentLanguage(Translator::masterCode);
        Translator::global().setLangMaster({});
        Translator::global().setLangTarget({});
    }

  private:
    QLocale m_locale;
};

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(FormatDuration, MinutesAndSecondsThenHours)
{
    const struct
    {
        qint64 seconds;
        const char* text;
    } cases[] = {
        {0, "0:00"},       {7, "0:07"},       {65, "1:05"},        {725, "12:05"}, {3599, "59:59"},
        {3600, "1:00:00"}, {3723, "1:02:03"}, {36000, "10:00:00"}, {-5, "0:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDuration(c.seconds), QLatin1String(c.text)) << c.seconds;
}

// The rate and the time left stay out of the line until the run has gone on for a few seconds;
// then both follow from what this run has done in the time it took.
TEST_F(RunProgressTest, RateAndTimeLeftAppearOnceTheyCanBeEstimated)
{
    RunProgress progress(5, 10 * MiB);
    EXPECT_EQ(progress.line(), u8("Soubory 0 z 5, data 0 B z 10 MB"));
    progress.fileDone(1 * MiB);
    progress.fileDone(3 * MiB);
    Clock::advanceFake(4);
    EXPECT_EQ(progress.line(), u8("Soubory 2 z 5, data 4 MB z 10 MB"));
    EXPECT_LT(progress.bytesPerSecond(), 0);
    EXPECT_LT(progress.secondsLeft(), 0);

    Clock::advanceFake(4);
    EXPECT_EQ(progress.elapsedMs(), 8000);
    EXPECT_EQ(progress.bytesPerSecond(), 512.0 * 1024);
    // 6 MiB to go at 4 MiB per 8 s.
    EXPECT_EQ(progress.secondsLeft(), 12);
    EXPECT_EQ(progress.line(), u8("Soubory 2 z 5, data 4 MB z 10 MB, 512 kB/s, zbývá 0:12"));
}

TEST_F(RunProgressTest, AContinuedRunCountsEarlierWorkInTheTotalsButNotInTheRate)
{
    RunProgress progress(10, 10 * MiB);
    Clock::advanceFake(30); // the time before the interruption counts for nothing
    progress.resumeAt(5, 5 * MiB);
    Clock::advanceFake(8);
    progress.fileDone(2 * MiB);
    EXPECT_EQ(progress.filesDone(), 6);
    EXPECT_EQ(progress.bytesDone(), 7 * MiB);
    EXPECT_EQ(progress.line(), u8("Soubory 6 z 10, data 7 MB z 10 MB, 256 kB/s, zbývá 0:12"));
}

TEST_F(RunProgressTest, EstimatesForEmptyFilesUnknownSizesAndAStalledRun)
{
    // Only empty files: the time left follows the files.
    RunProgress empty(4, 0);
    empty.fileDone(0);
    empty.fileDone(0);
    Clock::advanceFake(6);
    EXPECT_EQ(empty.line(), u8("Soubory 2 z 4, data 0 B z 0 B, 0 B/s, zbývá 0:06"));

    // Sizes not known: no data, no rate, the time left by files.
    RunProgress unknown(3, -1);
    unknown.fileDone(500);
    Clock::advanceFake(5);
    EXPECT_EQ(unknown.line(), u8("Soubory 1 z 3, zbývá 0:10"));

    // Nothing done yet: a rate of nothing, but no guess of the time left.
    RunProgress stalled(3, 100);
    Clock::advanceFake(10);
    EXPECT_EQ(stalled.secondsLeft(), -1);
    EXPECT_EQ(stalled.line(), u8("Soubory 0 z 3, data 0 B z 100 B, 0 B/s"));

    // Everything done: nothing left.
    RunProgress done(1, 100);
    done.fileDone(100);
    Clock::advanceFake(6);
    EXPECT_EQ(done.secondsLeft(), 0);
}

TEST_F(RunProgressTest, LongRunsOfLargeFilesNeitherOverflowNorLoseTheHours)
{
    // 2 TiB to copy, 1 TiB done in 4 hours: 4 hours more.
    const qint64 tebibyte = qint64(1024) * 1024 * MiB;
    RunProgress progress(1000, 2 * tebibyte);
    progress.fileDone(tebibyte);
    Clock::advanceFake(4 * 3600);
    EXPECT_EQ(progress.secondsLeft(), 4 * 3600);
    EXPECT_TRUE(progress.line().endsWith(u8("zbývá 4:00:00"))) << qPrintable(progress.line());
}

TEST_F(RunProgressTest, TheLineIsInTheChosenLanguage)
{
    Translator::global().load(QDir(test::sourceDir()).filePath(QStringLiteral("lang")), QStringLiteral("EN"));
    RunProgress progress(5, 10 * MiB);
    progress.fileDone(4 * MiB);
    Clock::advanceFake(8);
    EXPECT_EQ(progress.line(), QStringLiteral("Files 1 of 5, data 4 MB of 10 MB, 512 kB/s, 0:12 left"));
}
