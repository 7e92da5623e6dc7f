#pragma once

#include "core/schedule/BackupSchedule.h"

#include <QLatin1StringView>
#include <QString>

namespace ombrix {

// The texts that make a schedule happen: the systemd user service and timer, and the crontab
// line that does the same where no systemd user manager runs. Pure text; writing the files and
// talking to systemctl is platform::UserSchedule's part.
namespace ScheduleUnits {

inline constexpr QLatin1StringView serviceName{"ombrix-backup.service"};
inline constexpr QLatin1StringView timerName{"ombrix-backup.timer"};

// Whether a path can be written into a unit file or a crontab line at all: no line breaks or
// other control characters.
bool fits(const QString& text);

// The timer's calendar expression in local time: "*-*-* 07:30:00" daily, "Mon *-*-* 07:30:00"
// weekly; empty when the schedule is off.
QString onCalendar(const BackupSchedule& schedule);
// The five time fields of a crontab line: "30 7 * * *" daily, "30 7 * * 1" weekly (0 is Sunday);
// empty when the schedule is off.
QString cronFields(const BackupSchedule& schedule);

// The service: one "program -start" on programFolder. The folder is passed as OMBRIX_HOME so the
// scheduled run uses the folder it was scheduled from, whatever environment the user manager
// itself has (it often lacks the session's XDG_CONFIG_HOME).
QString serviceText(const QString& program, const QString& programFolder);
// The timer: the calendar expression, Persistent=true (a run missed while the computer was off
// or the user logged out happens at the next opportunity), started with the user's timers.
QString timerText(const BackupSchedule& schedule);
// A crontab line with the same effect, as a person would add it with "crontab -e" (cron has no
// catching up of missed runs, though); empty when the schedule is off.
QString crontabLine(const BackupSchedule& schedule, const QString& program, const QString& programFolder);

// One word of a unit file in double quotes: backslash and quote escaped, "%" doubled (systemd
// specifiers) and, in a command line, "$" doubled (variable expansion).
QString quoteForUnit(const QString& text, bool commandLine);
// One word of a crontab command: single-quoted for the shell, "%" escaped for cron, which
// would turn it into a line break.
QString quoteForCron(const QString& text);

} // namespace ScheduleUnits
} // namespace ombrix
