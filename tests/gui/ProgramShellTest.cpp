#include "ui/mainwindow/ProgramShell.h"

#include "core/app/ExitCode.h"
#include "core/log/RunLog.h"
#include "core/util/Clock.h"
#include "platform/UnixSignals.h"
#include "support/TempProgramFolder.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/StatusLine.h"

#include <gtest/gtest.h>
#include <optional>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

// A shell whose process end is recorded instead of happening.
struct Shell
{
    explicit Shell(app::RunMode mode, EngineHooks hooks = {}) : shell(mode, std::move(hooks))
    {
        shell.controller()->setTerminator([this](int code) { endedWith = code; });
        shell.controller()->setExitDelay(0);
    }
    ~Shell() { QDir::setCurrent(previous); }

    QString previous = QDir::currentPath();
    ProgramShell shell;
    std::optional<int> endedWith;
};

} // namespace

TEST(ProgramShell, InteractiveStartPreparesTheFolderAndShowsTheWindow)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("log.txt"), "\xEF\xBB\xBF"
                                          "Archiv: OMX_2024-01-02_03-04-05\r\nnot archived: /a\r\n");
    home.write(QStringLiteral("x.tmp"), "x");
    int readiness = 0;
    EngineHooks hooks;
    hooks.readinessCheck = [&] {
        ++readiness;
        // The readiness check runs with the files in place and the program folder current.
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral("config.ini")));
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral("sources.txt")));
    };
    Shell s(app::RunMode::Interactive, hooks);
    ASSERT_TRUE(s.shell.start());
    EXPECT_EQ(readiness, 1);
    EXPECT_TRUE(s.shell.window()->isVisible());
    EXPECT_EQ(s.shell.window()->windowTitle(), QStringLiteral("Ombrix v0.1.0.0"));
    EXPECT_EQ(s.shell.runLog().logBuffer(), QStringList({QStringLiteral("Archiv: OMX_2024-01-02_03-04-05"),
                                                         QStringLiteral("not archived: /a")}));
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("x.tmp"))));
    EXPECT_TRUE(s.shell.noCompressExtensions().endsWith(QStringLiteral("@.gz")));
    EXPECT_FALSE(s.shell.controller()->autoStartTimer()->isActive());

    // Interactive: closing ends the program, xExit does nothing.
    s.shell.controller()->xExit();
    EXPECT_FALSE(s.endedWith.has_value());
    EXPECT_FALSE(s.shell.runState().stopRequested);
    s.shell.window()->close();
    EXPECT_FALSE(s.shell.window()->isVisible());
}

TEST(ProgramShell, ScheduledRunStaysHiddenAndClosingOnlyHides)
{
    test::TempProgramFolder home;
    Shell s(app::RunMode::Scheduled);
    ASSERT_TRUE(s.shell.start());
    MainWindow* window = s.shell.window();
    EXPECT_FALSE(window->isVisible());
    QTimer* timer1 = s.shell.controller()->autoStartTimer();
    EXPECT_TRUE(timer1->isActive());
    EXPECT_TRUE(timer1->isSingleShot());
    EXPECT_EQ(timer1->interval(), 5000);
    // Without a tray the run still answers SIGTERM and SIGUSR1.
    ASSERT_NE(s.shell.unixSignals(), nullptr);
    EXPECT_TRUE(s.shell.unixSignals()->isInstalled());

    s.shell.controller()->Show1Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(s.endedWith.has_value());
    s.shell.controller()->Show1Click();
    EXPECT_TRUE(window->isVisible());
}

TEST(ProgramShell, AutoStartTimerFollowsTheStoredMergeAndRestoreState)
{
    const struct
    {
        const char* system;
        int expectedPage;
        bool merge;
        bool backup; // false with merge false: a restore is pending, nothing starts
    } cases[] = {
        {"SUM_DONE=1\r\nRECOVERY_DONE=1\r\n", MainWindow::BackupIndex, false, true},
        {"SUM_DONE=0\r\nRECOVERY_DONE=1\r\n", MainWindow::MergeIndex, true, false},
        {"RECOVERY_DONE=1\r\n", MainWindow::MergeIndex, true, false}, // SUM_DONE missing reads as false
        {"SUM_DONE=1\r\nRECOVERY_DONE=0\r\n", MainWindow::RestoreIndex, false, false},
        {"SUM_DONE=1\r\n", MainWindow::RestoreIndex, false, false}, // RECOVERY_DONE missing reads as false
    };
    for (const auto& c : cases) {
        test::TempProgramFolder home;
        home.write(QStringLiteral("config.ini"), QByteArray("[SYSTEM]\r\n") + c.system);
        Shell s(app::RunMode::Scheduled);
        ASSERT_TRUE(s.shell.start());
        int merges = 0;
        int backups = 0;
        QObject::connect(s.shell.controller(), &RunController::continueMergeRequested, [&] { ++merges; });
        QObject::connect(s.shell.controller(), &RunController::startBackupRequested, [&] { ++backups; });
        s.shell.window()->showPage(MainWindow::IntroIndex);
        // START runs even when the readiness check left the button disabled.
        s.shell.window()->backupPage()->startButton()->setEnabled(false);

        s.shell.controller()->Timer1Timer();
        s.shell.controller()->Timer1Timer(); // fires once only
        EXPECT_FALSE(s.shell.controller()->autoStartTimer()->isActive());
        EXPECT_EQ(merges, c.merge ? 1 : 0) << c.system;
        EXPECT_EQ(backups, c.backup ? 1 : 0) << c.system;
        EXPECT_EQ(s.shell.window()->pages()->currentIndex(), c.expectedPage) << c.system;
        // A pending restore cannot go on without a person: the scheduled run ends instead of
        // waiting for ever, and says why.
        const bool restorePending = !c.merge && !c.backup;
        EXPECT_EQ(s.endedWith.has_value(), restorePending) << c.system;
        if (restorePending) {
            EXPECT_TRUE(s.shell.window()->restorePage()->statusLine()->text().contains(
                QStringLiteral("Obnova dat nebyla dokončena")))
                << c.system;
        }
    }
}

TEST(ProgramShell, AutoStartBoxMakesAnInteractiveRunEndAfterItsRun)
{
    test::TempProgramFolder home;
    Shell s(app::RunMode::Interactive);
    // The readiness check would load AUTOSTART_BACKUP into the box; tick it as it does.
    QCheckBox* box = s.shell.window()->settingsPage()->autoStartBox();
    box->setChecked(true);
    ASSERT_TRUE(s.shell.start());
    EXPECT_TRUE(s.shell.window()->isVisible());
    EXPECT_TRUE(s.shell.controller()->autoStartTimer()->isActive());

    // Unticked during the run: its end keeps the program open.
    box->setChecked(false);
    s.shell.controller()->xExit();
    EXPECT_FALSE(s.endedWith.has_value());

    box->setChecked(true);
    s.shell.window()->setPagesEnabled(false, 3);
    s.shell.controller()->xExit();
    ASSERT_TRUE(s.endedWith.has_value());
    EXPECT_EQ(*s.endedWith, 0);
    EXPECT_TRUE(s.shell.runState().stopRequested);
    // Unlocked with (true, 0): every page but the introduction, which is left as it was.
    for (int i = 1; i < s.shell.window()->pages()->count(); ++i)
        EXPECT_TRUE(s.shell.window()->pages()->isTabEnabled(i)) << i;
}

TEST(ProgramShell, ExitFromTheTrayStopsWhatRunsAndKillsTheChild)
{
    test::TempProgramFolder home;
    Shell s(app::RunMode::Scheduled);
    ASSERT_TRUE(s.shell.start());
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(child.waitForStarted()) << "the stand-in child did not start within 30 s";
    s.shell.runState().lastProcessId = child.processId();
    s.shell.window()->backupPage()->startButton()->setText(QStringLiteral("STOP"));

    s.shell.controller()->Exit1Click();
    EXPECT_TRUE(s.shell.runState().stopRequested);
    EXPECT_FALSE(s.shell.runState().mergeStopRequested);
    ASSERT_TRUE(s.endedWith.has_value());
    // The backup was cut off: the scheduler learns that it did not complete.
    EXPECT_EQ(*s.endedWith, app::ExitCode::NotCompleted);
    EXPECT_TRUE(child.waitForFinished(10000)) << "the child Exit killed did not end within 10 s";

    s.shell.window()->backupPage()->startButton()->setText(QStringLiteral("START"));
    s.shell.window()->mergePage()->runButton()->setText(QStringLiteral("STOP"));
    s.shell.runState() = RunState{};
    s.shell.controller()->Exit1Click();
    EXPECT_FALSE(s.shell.runState().stopRequested);
    EXPECT_TRUE(s.shell.runState().mergeStopRequested);
}

// An unattended run ends with the code of its outcome; "Exit" (or SIGTERM) while the end of the
// run is being shown does not change it.
TEST(ProgramShell, UnattendedEndUsesTheOutcomeAndExitDuringTheEndKeepsIt)
{
    test::TempProgramFolder home;
    Shell s(app::RunMode::Scheduled);
    ASSERT_TRUE(s.shell.start());
    s.shell.controller()->setOutcome([] { return app::ExitCode::Warnings; });
    s.shell.controller()->xExit();
    EXPECT_EQ(s.endedWith, std::optional<int>(app::ExitCode::Warnings));
    s.endedWith.reset();
    s.shell.controller()->Exit1Click();
    EXPECT_EQ(s.endedWith, std::optional<int>(app::ExitCode::Warnings));
    s.shell.controller()->xExit(app::ExitCode::NotCompleted);
    EXPECT_EQ(s.endedWith, std::optional<int>(app::ExitCode::NotCompleted));
}

TEST(ProgramShell, LanguageCheckRunsAtShowAndEndsWithoutTouchingTheFolder)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("x.tmp"), "x");
    int checks = 0;
    int readiness = 0;
    EngineHooks hooks;
    hooks.checkLanguages = [&] { ++checks; };
    hooks.readinessCheck = [&] { ++readiness; };
    Shell s(app::RunMode::CheckLang, hooks);
    ASSERT_TRUE(s.shell.start());
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(readiness, 0);
    ASSERT_TRUE(s.endedWith.has_value());
    EXPECT_EQ(*s.endedWith, 0);
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("sources.txt"))));
    EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("x.tmp"))));
}

TEST(ProgramShell, UnwritableFolderEndsTheStart)
{
    test::TempProgramFolder home;
    QDir(home.path()).mkdir(QStringLiteral("sources.txt"));
    int readiness = 0;
    EngineHooks hooks;
    hooks.readinessCheck = [&] { ++readiness; };
    QString translated;
    hooks.getLang = [&](const QString& text) {
        translated = text;
        return text;
    };
    Shell s(app::RunMode::Interactive, hooks);
    EXPECT_FALSE(s.shell.start());
    EXPECT_EQ(readiness, 0);
    EXPECT_FALSE(s.shell.window()->isVisible());
    EXPECT_EQ(translated, ProgramShell::permissionMessage());
}

TEST(ProgramShell, DaylightStateIsTakenOnceAtStart)
{
    for (bool daylight : {true, false}) {
        test::TempProgramFolder home;
        Clock::setFake(QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC), 7200, daylight);
        Shell s(app::RunMode::Interactive);
        ASSERT_TRUE(s.shell.start());
        Clock::setFake(QDateTime(QDate(2024, 12, 1), QTime(12, 0), Qt::UTC), 3600, !daylight);
        EXPECT_EQ(s.shell.daylightSaving(), daylight);
        Clock::clearFake();
    }
}
