#include "core/schedule/ScheduleUnits.h"

#include <QStringList>

namespace ombrix::ScheduleUnits {

namespace {

QString dayName(int dayOfWeek)
{
    static const QStringList names = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
                                      QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat"),
                                      QStringLiteral("Sun")};
    return names.at(dayOfWeek >= 1 && dayOfWeek <= 7 ? dayOfWeek - 1 : 0);
}

} // namespace

bool fits(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QString onCalendar(const BackupSchedule& schedule)
{
    const QString time = schedule.timeText() + QStringLiteral(":00");
    switch (schedule.frequency) {
    case BackupSchedule::Frequency::Off:
        break;
    case BackupSchedule::Frequency::Daily:
        return QStringLiteral("*-*-* ") + time;
    case BackupSchedule::Frequency::Weekly:
        return dayName(schedule.dayOfWeek) + QStringLiteral(" *-*-* ") + time;
    }
    return {};
}

QString cronFields(const BackupSchedule& schedule)
{
    const QString time = QStringLiteral("%1 %2 * * ").arg(schedule.minute).arg(schedule.hour);
    switch (schedule.frequency) {
    case BackupSchedule::Frequency::Off:
        break;
    case BackupSchedule::Frequency::Daily:
        return time + QLatin1Char('*');
    case BackupSchedule::Frequency::Weekly:
        return time + QString::number(schedule.dayOfWeek % 7);
    }
    return {};
}

QString serviceText(const QString& program, const QString& programFolder)
{
    QString text = QStringLiteral("[Unit]\n"
                                  "Description=Ombrix scheduled backup\n"
                                  "\n"
                                  "[Service]\n"
                                  "Type=oneshot\n");
    const QString home = QStringLiteral("OMBRIX_HOME=") + programFolder;
    text += QStringLiteral("Environment=") + quoteForUnit(home, false) + QLatin1Char('\n');
    text += QStringLiteral("ExecStart=") + quoteForUnit(program, true) + QStringLiteral(" -start\n");
    // A run that completed with warnings (files it could not archive, named in its log) has done
    // its work; only a run that did not complete counts as a failed service.
    text += QStringLiteral("SuccessExitStatus=1\n");
    return text;
}

QString timerText(const BackupSchedule& schedule)
{
    QString text = QStringLiteral("[Unit]\n"
                                  "Description=Ombrix backup schedule\n"
                                  "\n"
                                  "[Timer]\n");
    text += QStringLiteral("OnCalendar=") + onCalendar(schedule) + QLatin1Char('\n');
    text += QStringLiteral("Persistent=true\n");
    text += QStringLiteral("Unit=") + serviceName + QLatin1Char('\n');
    text += QStringLiteral("\n"
                           "[Install]\n"
                           "WantedBy=timers.target\n");
    return text;
}

QString crontabLine(const BackupSchedule& schedule, const QString& program, const QString& programFolder)
{
    if (!schedule.isOn())
        return {};
    return cronFields(schedule) + QStringLiteral(" OMBRIX_HOME=") + quoteForCron(programFolder) +
           QLatin1Char(' ') + quoteForCron(program) + QStringLiteral(" -start");
}

QString quoteForUnit(const QString& text, bool commandLine)
{
    QString quoted(QLatin1Char('"'));
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (c == QLatin1Char('%')) {
            quoted += QStringLiteral("%%");
        } else if (commandLine && c == QLatin1Char('$')) {
            quoted += QStringLiteral("$$");
        } else {
            quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString quoteForCron(const QString& text)
{
    QString quoted(QLatin1Char('\''));
    for (QChar c : text) {
        if (c == QLatin1Char('\''))
            quoted += QStringLiteral("'\\''");
        else if (c == QLatin1Char('%'))
            quoted += QStringLiteral("\\%");
        else
            quoted += c;
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

} // namespace ombrix::ScheduleUnits
