#include "core/log/Status.h"
#include "core/util/Clock.h"
#include "core/util/RunSummary.h"
#include "support/TempProgramFolder.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/TerminalProgress.h"
#include "ui/mainwindow/TrayMessage.h"
#include "ui/mainwindow/WindowHost.h"

#include <gtest/gtest.h>
#include <optional>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTimeZone>
#include <vector>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

const QString setName = QStringLiteral("OMX_2024-05-06_10-00-00");

RunSummary finished(RunSummary::Kind kind, int notDone, bool completed, const QString& reason = {})
{
    RunSummary summary(kind, setName);
    summary.fileDone(2048);
    for (int i = 0; i < notDone; ++i)
        summary.fileNotDone();
    summary.finish(completed, reason);
    return summary;
}

// The pinned clock and locale the summaries are written with.
class EndOfRun : public ::testing::Test
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
        QDir::setCurrent(m_previousDir);
    }

  private:
    QLocale m_locale;
    QString m_previousDir = QDir::currentPath();
};

// A shell in the given run mode whose process end and tray words are recorded.
struct RecordedShell
{
    explicit RecordedShell(app::RunMode mode) : shell(mode, EngineHooks())
    {
        shell.controller()->setTerminator([this](int code) { endedWith = code; });
        shell.controller()->setExitDelay(0);
        shell.controller()->setTrayNotifier(
            [this](const TrayMessage& message) { messages.push_back(message); });
    }

    test::TempProgramFolder home;
    ProgramShell shell;
    std::optional<int> endedWith;
    std::vector<TrayMessage> messages;
};

} // namespace

TEST_F(EndOfRun, TrayMessageSaysHowTheRunEnded)
{
    const QString done = u8("Úspěšný konec zálohování");
    const QString warned = u8("Zálohování dokončeno s varováním. Více v log.txt");
    const QString stopped = u8("Cílový adresář není dostupný, zálohování je přerušeno");
    const RunSummary success = finished(RunSummary::Kind::Backup, 0, true);
    const RunSummary warning = finished(RunSummary::Kind::Backup, 4, true);
    const RunSummary interrupted = finished(RunSummary::Kind::Backup, 0, false, u8("přerušeno uživatelem"));
    const RunSummary noReason = finished(RunSummary::Kind::Merge, 0, false);
    const struct
    {
        const RunSummary* summary;
        QString status;
        TrayMessage expected;
    } cases[] = {
        {&success,
         done,
         {TrayMessage::Icon::Information, u8("Ombrix: Úspěšně dokončeno"), done + u'\n' + success.line()}},
        {&warning,
         warned,
         {TrayMessage::Icon::Warning, u8("Ombrix: Dokončeno s varováním"), warned + u'\n' + warning.line()}},
        {&interrupted,
         stopped,
         {TrayMessage::Icon::Critical, u8("Ombrix: Přerušeno"),
          u8("přerušeno uživatelem") + u'\n' + interrupted.line()}},
        {&noReason,
         stopped,
         {TrayMessage::Icon::Critical, u8("Ombrix: Přerušeno"), stopped + u'\n' + noReason.line()}},
        {nullptr,
         u8("  Od minulé zálohy se nic nezměnilo"),
         {TrayMessage::Icon::Information, QStringLiteral("Ombrix"), u8("Od minulé zálohy se nic nezměnilo")}},
    };
    for (const auto& c : cases) {
        const TrayMessage message = TrayMessage::forRunEnd(c.summary, c.status);
        EXPECT_EQ(message.icon, c.expected.icon) << qPrintable(c.expected.text);
        EXPECT_EQ(message.title, c.expected.title);
        EXPECT_EQ(message.text, c.expected.text);
    }
    // The warning counts the files that were not archived.
    EXPECT_TRUE(warning.line().contains(u8("nearchivováno souborů 4"))) << qPrintable(warning.line());
}

// The end of a scheduled run leaves one tray word, from the summary and the whole status text
// of the page the run worked on; the last status line is printed as before.
TEST_F(EndOfRun, AScheduledRunEndsWithItsTrayWord)
{
    RecordedShell s(app::RunMode::Scheduled);
    WindowHost& host = *s.shell.host();
    const RunSummary warning = finished(RunSummary::Kind::Backup, 2, true);
    host.showRunSummary(Page::Backup, warning);
    // Longer than the line shows: the tray gets it whole.
    const QString status = u8("Zálohování dokončeno s varováním, více v souboru log.txt v programové složce");
    info(host, status);
    s.shell.window()->showPage(MainWindow::BackupIndex);
    s.shell.controller()->xExit();
    ASSERT_EQ(s.endedWith, 0);
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0].icon, TrayMessage::Icon::Warning);
    EXPECT_EQ(s.messages[0].text, status + u'\n' + warning.line());

    // A continued merge is told from the merge page.
    RecordedShell merge(app::RunMode::Scheduled);
    const RunSummary merged = finished(RunSummary::Kind::Merge, 0, true);
    merge.shell.host()->showRunSummary(Page::Merge, merged);
    info3(*merge.shell.host(), u8("Slučování bylo dokončeno"));
    merge.shell.window()->showPage(MainWindow::MergeIndex);
    merge.shell.controller()->xExit();
    ASSERT_EQ(merge.messages.size(), 1u);
    EXPECT_EQ(merge.messages[0].icon, TrayMessage::Icon::Information);
    EXPECT_EQ(merge.messages[0].text, u8("Slučování bylo dokončeno") + u'\n' + merged.line());
}

TEST_F(EndOfRun, AnInteractiveRunLeavesNoTrayWord)
{
    RecordedShell s(app::RunMode::Interactive);
    s.shell.host()->showRunSummary(Page::Backup, finished(RunSummary::Kind::Backup, 0, true));
    s.shell.controller()->xExit();
    EXPECT_FALSE(s.endedWith.has_value());
    EXPECT_TRUE(s.messages.empty());
}

// A person who started an unattended run in a terminal sees its progress there every few
// seconds; nothing goes to a terminal of an interactive run, nor to a standard output that is
// no terminal (cron, the journal).
TEST_F(EndOfRun, AnUnattendedRunPrintsItsProgressOnATerminalEveryFewSeconds)
{
    for (const app::RunMode mode : {app::RunMode::Scheduled, app::RunMode::Interactive}) {
        RecordedShell s(mode);
        QStringList printed;
        TerminalProgress& terminal = s.shell.controller()->terminalProgress();
        terminal.setTerminal(true);
        terminal.setWriter([&](const QString& line) { printed << line; });
        WindowHost& host = *s.shell.host();
        host.setProgressDetail(Page::Backup, QStringLiteral("Soubory 1 z 9"));
        Clock::advanceFake(2);
        host.setProgressDetail(Page::Backup, QStringLiteral("Soubory 2 z 9"));
        Clock::advanceFake(3);
        host.setProgressDetail(Page::Backup, QStringLiteral("Soubory 3 z 9"));
        host.setProgressDetail(Page::Backup, QString());
        Clock::advanceFake(60);
        host.setProgressDetail(Page::Backup, QString());
        if (mode == app::RunMode::Scheduled) {
            EXPECT_EQ(printed, QStringList({QStringLiteral("Ombrix: Soubory 1 z 9"),
                                            QStringLiteral("Ombrix: Soubory 3 z 9")}));
        } else {
            EXPECT_TRUE(printed.isEmpty()) << qPrintable(printed.join(u'|'));
        }

        printed.clear();
        terminal.setTerminal(false);
        host.setProgressDetail(Page::Backup, QStringLiteral("Soubory 4 z 9"));
        EXPECT_TRUE(printed.isEmpty());
    }
}
