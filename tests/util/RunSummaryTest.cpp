#include "core/util/RunSummary.h"

#include "core/lang/Translator.h"
#include "core/util/Clock.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTimeZone>

using namespace ombrix;

namespace {

constexpr qint64 MiB = 1024 * 1024;
const QString setName = QStringLiteral("OMX_2024-05-06_10-01-00");

class RunSummaryTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 1, 0), QTimeZone::utc()), 0, false);
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

// The three endings of a run, for each kind of run: the page's line, the log's line and the
// verdict the tray message is chosen by.
TEST_F(RunSummaryTest, EachKindAndEndingHasItsLines)
{
    const struct
    {
        RunSummary::Kind kind;
        int notDone;
        bool completed;
        RunSummary::Verdict verdict;
        const char* line;
        const char* logLine;
    } cases[] = {
        {RunSummary::Kind::Backup, 0, true, RunSummary::Verdict::Success,
         "Sada OMX_2024-05-06_10-01-00: archivováno souborů 2 (4 MB), trvání 0:35",
         "Summary: set OMX_2024-05-06_10-01-00: files archived 2 (4 MB), duration 0:35"},
        {RunSummary::Kind::Backup, 3, true, RunSummary::Verdict::Warning,
         "Sada OMX_2024-05-06_10-01-00: archivováno souborů 2 (4 MB), trvání 0:35, nearchivováno "
         "souborů 3 (viz log.txt)",
         "Summary: set OMX_2024-05-06_10-01-00: files archived 2 (4 MB), duration 0:35, files not "
         "archived 3"},
        {RunSummary::Kind::Backup, 0, false, RunSummary::Verdict::Interrupted,
         "Přerušeno – Sada OMX_2024-05-06_10-01-00: archivováno souborů 2 (4 MB), trvání 0:35",
         "Summary: interrupted, set OMX_2024-05-06_10-01-00: files archived 2 (4 MB), duration 0:35"},
        {RunSummary::Kind::Restore, 1, true, RunSummary::Verdict::Warning,
         "Sada OMX_2024-05-06_10-01-00: obnoveno souborů 2 (4 MB), trvání 0:35, neobnoveno souborů 1 "
         "(viz log.txt)",
         "Summary: set OMX_2024-05-06_10-01-00: files restored 2 (4 MB), duration 0:35, files not "
         "restored 1"},
        {RunSummary::Kind::Merge, 0, true, RunSummary::Verdict::Success,
         "Sada OMX_2024-05-06_10-01-00: přesunuto souborů 2 (4 MB), trvání 0:35",
         "Summary: set OMX_2024-05-06_10-01-00: files moved 2 (4 MB), duration 0:35"},
        {RunSummary::Kind::Merge, 2, false, RunSummary::Verdict::Interrupted,
         "Přerušeno – Sada OMX_2024-05-06_10-01-00: přesunuto souborů 2 (4 MB), trvání 0:35, "
         "nepřesunuto souborů 2 (viz log.txt)",
         "Summary: interrupted, set OMX_2024-05-06_10-01-00: files moved 2 (4 MB), duration 0:35, "
         "files not moved 2"},
    };
    for (const auto& c : cases) {
        Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 1, 0), QTimeZone::utc()), 0, false);
        RunSummary summary(c.kind, setName);
        summary.fileDone(1 * MiB);
        summary.fileDone(3 * MiB);
        for (int i = 0; i < c.notDone; ++i)
            summary.fileNotDone();
        Clock::advanceFake(35);
        summary.finish(c.completed, c.completed ? QString() : u8("přerušeno uživatelem"));
        EXPECT_EQ(summary.verdict(), c.verdict) << c.line;
        EXPECT_EQ(summary.line(), u8(c.line));
        EXPECT_EQ(summary.logLine(), QLatin1String(c.logLine));
        EXPECT_EQ(summary.reason(), c.completed ? QString() : u8("přerušeno uživatelem"));
    }
}

TEST_F(RunSummaryTest, TheDurationEndsWithTheRun)
{
    RunSummary summary(RunSummary::Kind::Backup, setName);
    Clock::advanceFake(3723);
    EXPECT_EQ(summary.durationSeconds(), 3723);
    EXPECT_FALSE(summary.isFinished());
    summary.setCounts(12, 5 * MiB, 0);
    summary.finish(true);
    Clock::advanceFake(600);
    EXPECT_EQ(summary.durationSeconds(), 3723);
    EXPECT_EQ(summary.line(),
              u8("Sada OMX_2024-05-06_10-01-00: archivováno souborů 12 (5 MB), trvání 1:02:03"));
}

TEST_F(RunSummaryTest, ThePageLineIsInTheChosenLanguageAndTheLogLineNever)
{
    Translator::global().load(QDir(test::sourceDir()).filePath(QStringLiteral("lang")), QStringLiteral("EN"));
    RunSummary summary(RunSummary::Kind::Backup, setName);
    summary.fileDone(4 * MiB);
    summary.fileNotDone();
    Clock::advanceFake(7);
    summary.finish(false);
    EXPECT_EQ(summary.line(),
              QStringLiteral("Interrupted – Set OMX_2024-05-06_10-01-00: files archived 1 (4 MB), "
                             "duration 0:07, files not archived 1 (see log.txt)"));
    EXPECT_EQ(summary.logLine(), QStringLiteral("Summary: interrupted, set OMX_2024-05-06_10-01-00: files "
                                                "archived 1 (4 MB), duration 0:07, files not archived 1"));
}
