#include "platform/UserSchedule.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

using namespace ombrix;
using platform::ScheduleOutcome;

namespace {

// Stands in for "systemctl --user": records every command and answers as the test says.
class RecordingManager : public platform::UserServiceManager
{
  public:
    bool available = true;
    // The first word of a command that fails ("enable", "disable", ...), empty for none.
    QString failing;
    QString failureOutput = QStringLiteral("Failed to enable unit: Access denied");
    QList<QStringList> commands;

    bool isAvailable() override { return available; }
    platform::ServiceCommandResult run(const QStringList& arguments) override
    {
        commands << arguments;
        if (!failing.isEmpty() && arguments.value(0) == failing)
            return {false, failureOutput};
        return {true, QString()};
    }
};

BackupSchedule daily(int hour, int minute)
{
    BackupSchedule schedule;
    schedule.frequency = BackupSchedule::Frequency::Daily;
    schedule.hour = hour;
    schedule.minute = minute;
    return schedule;
}

BackupSchedule weekly(int day, int hour, int minute)
{
    BackupSchedule schedule = daily(hour, minute);
    schedule.frequency = BackupSchedule::Frequency::Weekly;
    schedule.dayOfWeek = day;
    return schedule;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QStringList reload{QStringLiteral("daemon-reload")};
const QStringList enableNow{QStringLiteral("enable"), QStringLiteral("--now"),
                            QStringLiteral("ombrix-backup.timer")};
const QStringList restart{QStringLiteral("restart"), QStringLiteral("ombrix-backup.timer")};
const QStringList disableNow{QStringLiteral("disable"), QStringLiteral("--now"),
                             QStringLiteral("ombrix-backup.timer")};

class UserScheduleTest : public ::testing::Test
{
  protected:
    QString unitFolder() const { return m_root.filePath(QStringLiteral("config/systemd/user")); }
    QString program() const { return QStringLiteral("/usr/bin/ombrix"); }
    QString programFolder() const { return QStringLiteral("/home/eva/.config/ombrix"); }
    platform::UserSchedule schedule()
    {
        return platform::UserSchedule(m_manager, unitFolder(), program(), programFolder());
    }

    QTemporaryDir m_root;
    RecordingManager m_manager;
};

} // namespace

TEST_F(UserScheduleTest, TurningItOnWritesTheServiceAndTimerAndEnablesTheTimer)
{
    platform::UserSchedule user = schedule();
    const ScheduleOutcome outcome = user.apply(daily(7, 30));
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::Enabled) << outcome.detail.toStdString();
    EXPECT_TRUE(outcome.crontabLine.isEmpty());
    EXPECT_EQ(user.servicePath(), unitFolder() + QStringLiteral("/ombrix-backup.service"));
    EXPECT_EQ(user.timerPath(), unitFolder() + QStringLiteral("/ombrix-backup.timer"));
    EXPECT_TRUE(user.isInstalled());

    const QString service = readText(user.servicePath());
    EXPECT_TRUE(service.contains(QStringLiteral("\nExecStart=\"/usr/bin/ombrix\" -start\n")))
        << service.toStdString();
    EXPECT_TRUE(service.contains(QStringLiteral("\nEnvironment=\"OMBRIX_HOME=/home/eva/.config/ombrix\"\n")));
    const QString timer = readText(user.timerPath());
    EXPECT_TRUE(timer.contains(QStringLiteral("\nOnCalendar=*-*-* 07:30:00\n"))) << timer.toStdString();
    EXPECT_TRUE(timer.contains(QStringLiteral("\nPersistent=true\n")));
    EXPECT_TRUE(timer.contains(QStringLiteral("\nWantedBy=timers.target\n")));

    // The files are in place before the manager is told to read them.
    EXPECT_EQ(m_manager.commands, (QList<QStringList>{reload, enableNow}));
}

TEST_F(UserScheduleTest, ANewTimeRewritesTheTimerAndRestartsIt)
{
    platform::UserSchedule user = schedule();
    ASSERT_EQ(user.apply(daily(7, 30)).state, ScheduleOutcome::State::Enabled);
    m_manager.commands.clear();

    EXPECT_EQ(user.apply(weekly(5, 18, 0)).state, ScheduleOutcome::State::Enabled);
    EXPECT_TRUE(readText(user.timerPath()).contains(QStringLiteral("\nOnCalendar=Fri *-*-* 18:00:00\n")));
    // A running timer keeps its old elapse time until it is restarted.
    EXPECT_EQ(m_manager.commands, (QList<QStringList>{reload, enableNow, restart}));
}

TEST_F(UserScheduleTest, TurningItOffDisablesTheTimerAndRemovesBothFiles)
{
    platform::UserSchedule user = schedule();
    ASSERT_EQ(user.apply(weekly(1, 20, 0)).state, ScheduleOutcome::State::Enabled);
    m_manager.commands.clear();

    EXPECT_EQ(user.apply(BackupSchedule()).state, ScheduleOutcome::State::Disabled);
    EXPECT_FALSE(QFileInfo::exists(user.servicePath()));
    EXPECT_FALSE(QFileInfo::exists(user.timerPath()));
    EXPECT_FALSE(user.isInstalled());
    EXPECT_EQ(m_manager.commands, (QList<QStringList>{disableNow, reload}));

    // Nothing installed: nothing to tell the manager.
    m_manager.commands.clear();
    EXPECT_EQ(user.apply(BackupSchedule()).state, ScheduleOutcome::State::Disabled);
    EXPECT_TRUE(m_manager.commands.isEmpty());
}

TEST_F(UserScheduleTest, WithoutAUserManagerNothingIsWrittenAndTheCrontabLineIsOffered)
{
    m_manager.available = false;
    platform::UserSchedule user = schedule();
    const ScheduleOutcome outcome = user.apply(weekly(7, 21, 5));
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::NoUserManager);
    EXPECT_EQ(outcome.crontabLine,
              QStringLiteral("5 21 * * 0 OMBRIX_HOME='/home/eva/.config/ombrix' '/usr/bin/ombrix' -start"));
    EXPECT_FALSE(QFileInfo::exists(unitFolder()));
    EXPECT_TRUE(m_manager.commands.isEmpty());
}

TEST_F(UserScheduleTest, TurningItOffWithoutAUserManagerStillRemovesTheFiles)
{
    platform::UserSchedule user = schedule();
    ASSERT_EQ(user.apply(daily(12, 0)).state, ScheduleOutcome::State::Enabled);
    m_manager.commands.clear();
    m_manager.available = false;

    EXPECT_EQ(user.apply(BackupSchedule()).state, ScheduleOutcome::State::Disabled);
    EXPECT_FALSE(user.isInstalled());
    EXPECT_FALSE(QFileInfo::exists(user.timerPath()));
    EXPECT_TRUE(m_manager.commands.isEmpty());
}

TEST_F(UserScheduleTest, AFailedCommandIsReportedWithWhatSystemctlSaid)
{
    m_manager.failing = QStringLiteral("enable");
    platform::UserSchedule user = schedule();
    const ScheduleOutcome outcome = user.apply(daily(7, 30));
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::Failed);
    EXPECT_TRUE(outcome.detail.contains(QStringLiteral("systemctl --user enable --now ombrix-backup.timer")))
        << outcome.detail.toStdString();
    EXPECT_TRUE(outcome.detail.contains(m_manager.failureOutput)) << outcome.detail.toStdString();
    // The person can still schedule it by hand.
    EXPECT_FALSE(outcome.crontabLine.isEmpty());

    // A timer that could not be disabled keeps its files, so turning it off again can finish it.
    m_manager.failing.clear();
    ASSERT_EQ(user.apply(daily(7, 30)).state, ScheduleOutcome::State::Enabled);
    m_manager.failing = QStringLiteral("disable");
    m_manager.failureOutput = QStringLiteral("Failed to disable unit: Access denied");
    const ScheduleOutcome off = user.apply(BackupSchedule());
    EXPECT_EQ(off.state, ScheduleOutcome::State::Failed);
    EXPECT_TRUE(off.detail.contains(m_manager.failureOutput)) << off.detail.toStdString();
    EXPECT_TRUE(user.isInstalled());
}

TEST_F(UserScheduleTest, AUnitFolderThatCannotBeMadeIsReportedBeforeAnyCommand)
{
    // A file where the folder should be stops even root.
    ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("config/systemd")));
    QFile blocker(unitFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const ScheduleOutcome outcome = schedule().apply(daily(7, 30));
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::Failed);
    EXPECT_TRUE(outcome.detail.contains(unitFolder())) << outcome.detail.toStdString();
    EXPECT_TRUE(m_manager.commands.isEmpty());
}

TEST_F(UserScheduleTest, AProgramPathWithALineBreakIsRefusedWithoutWritingAnything)
{
    const QString broken = QStringLiteral("/opt/two\nlines/ombrix");
    platform::UserSchedule user(m_manager, unitFolder(), broken, programFolder());
    const ScheduleOutcome outcome = user.apply(daily(7, 30));
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::Failed);
    EXPECT_FALSE(outcome.detail.isEmpty());
    EXPECT_TRUE(outcome.crontabLine.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(unitFolder()));
    EXPECT_TRUE(m_manager.commands.isEmpty());
}
