#include "core/schedule/ScheduleUnits.h"

#include <gtest/gtest.h>
#include <QProcess>

using namespace ombrix;

namespace {

BackupSchedule at(BackupSchedule::Frequency frequency, int day, int hour, int minute)
{
    BackupSchedule schedule;
    schedule.frequency = frequency;
    schedule.dayOfWeek = day;
    schedule.hour = hour;
    schedule.minute = minute;
    return schedule;
}

constexpr auto Off = BackupSchedule::Frequency::Off;
constexpr auto Daily = BackupSchedule::Frequency::Daily;
constexpr auto Weekly = BackupSchedule::Frequency::Weekly;

} // namespace

TEST(ScheduleUnits, CalendarAndCronTimesForEachKindOfSchedule)
{
    const struct
    {
        BackupSchedule schedule;
        const char* onCalendar;
        const char* cron;
    } cases[] = {
        {at(Daily, 1, 7, 30), "*-*-* 07:30:00", "30 7 * * *"},
        // The day only counts for a weekly schedule.
        {at(Daily, 5, 0, 0), "*-*-* 00:00:00", "0 0 * * *"},
        {at(Weekly, 1, 20, 0), "Mon *-*-* 20:00:00", "0 20 * * 1"},
        {at(Weekly, 6, 23, 59), "Sat *-*-* 23:59:00", "59 23 * * 6"},
        // Sunday is day 7 here and day 0 for cron.
        {at(Weekly, 7, 0, 5), "Sun *-*-* 00:05:00", "5 0 * * 0"},
        {at(Off, 1, 7, 30), "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScheduleUnits::onCalendar(c.schedule), QLatin1String(c.onCalendar)) << c.onCalendar;
        EXPECT_EQ(ScheduleUnits::cronFields(c.schedule), QLatin1String(c.cron)) << c.cron;
    }
}

TEST(ScheduleUnits, ServiceRunsTheProgramOnTheScheduledFolderAndTheTimerCatchesUp)
{
    const QString program = QStringLiteral("/usr/bin/ombrix");
    const QString service = ScheduleUnits::serviceText(program, QStringLiteral("/home/eva/.config/ombrix"));
    EXPECT_EQ(service, QStringLiteral("[Unit]\n"
                                      "Description=Ombrix scheduled backup\n"
                                      "\n"
                                      "[Service]\n"
                                      "Type=oneshot\n"
                                      "Environment=\"OMBRIX_HOME=/home/eva/.config/ombrix\"\n"
                                      "ExecStart=\"/usr/bin/ombrix\" -start\n"
                                      "SuccessExitStatus=1\n"));
    EXPECT_EQ(ScheduleUnits::timerText(at(Weekly, 3, 18, 15)),
              QStringLiteral("[Unit]\n"
                             "Description=Ombrix backup schedule\n"
                             "\n"
                             "[Timer]\n"
                             "OnCalendar=Wed *-*-* 18:15:00\n"
                             "Persistent=true\n"
                             "Unit=ombrix-backup.service\n"
                             "\n"
                             "[Install]\n"
                             "WantedBy=timers.target\n"));
}

TEST(ScheduleUnits, CrontabLineRunsTheSameProgramOnTheSameFolder)
{
    EXPECT_EQ(ScheduleUnits::crontabLine(at(Daily, 1, 7, 30), QStringLiteral("/usr/bin/ombrix"),
                                         QStringLiteral("/home/eva/.config/ombrix")),
              QStringLiteral("30 7 * * * OMBRIX_HOME='/home/eva/.config/ombrix' '/usr/bin/ombrix' -start"));
    EXPECT_TRUE(ScheduleUnits::crontabLine(at(Off, 1, 7, 30), QStringLiteral("/usr/bin/ombrix"),
                                           QStringLiteral("/home/eva"))
                    .isEmpty());
}

TEST(ScheduleUnits, PathsWithSpecialCharactersAreQuotedForSystemdAndForCron)
{
    const struct
    {
        const char* path;
        const char* command; // ExecStart=
        const char* value;   // Environment=
    } cases[] = {
        {"/opt/my apps/ombrix", "\"/opt/my apps/ombrix\"", "\"/opt/my apps/ombrix\""},
        {"/opt/50%/ombrix", "\"/opt/50%%/ombrix\"", "\"/opt/50%%/ombrix\""},
        {"/opt/$HOME/ombrix", "\"/opt/$$HOME/ombrix\"", "\"/opt/$HOME/ombrix\""},
        {"/opt/a\"b\\c/ombrix", "\"/opt/a\\\"b\\\\c/ombrix\"", "\"/opt/a\\\"b\\\\c/ombrix\""},
        {"/opt/it's/ombrix", "\"/opt/it's/ombrix\"", "\"/opt/it's/ombrix\""},
    };
    for (const auto& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(ScheduleUnits::quoteForUnit(path, true), QString::fromUtf8(c.command)) << c.path;
        EXPECT_EQ(ScheduleUnits::quoteForUnit(path, false), QString::fromUtf8(c.value)) << c.path;

        // cron turns "\%" into "%" and hands the rest to /bin/sh: the shell must get the path back.
        QString command = ScheduleUnits::quoteForCron(path);
        command.replace(QStringLiteral("\\%"), QStringLiteral("%"));
        QProcess shell;
        const QString script = QStringLiteral("printf '%s' ") + command;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        ASSERT_TRUE(shell.waitForFinished(30000)) << "the shell did not end";
        EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()), path) << command.toStdString();
    }
}

TEST(ScheduleUnits, PathsWithControlCharactersDoNotFitInAUnitFile)
{
    EXPECT_TRUE(ScheduleUnits::fits(QString::fromUtf8("/home/eva/Zálohy a věci")));
    EXPECT_FALSE(ScheduleUnits::fits(QStringLiteral("/home/eva/two\nlines")));
    EXPECT_FALSE(ScheduleUnits::fits(QStringLiteral("/home/eva/tab\there")));
}
