#include "core/schedule/BackupSchedule.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"

#include <QStringList>

namespace ombrix {

namespace {

bool parseNumber(const QString& digits, int maximum, int* out)
{
    if (digits.isEmpty() || digits.size() > 2)
        return false;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int value = digits.toInt();
    if (value > maximum)
        return false;
    *out = value;
    return true;
}

} // namespace

QString BackupSchedule::timeText() const
{
    return QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

bool BackupSchedule::parseTime(const QString& text, int* hourOut, int* minuteOut)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 2 || parts.at(1).size() != 2)
        return false;
    int h = 0;
    int m = 0;
    if (!parseNumber(parts.at(0), 23, &h) || !parseNumber(parts.at(1), 59, &m))
        return false;
    *hourOut = h;
    *minuteOut = m;
    return true;
}

BackupSchedule BackupSchedule::fromConfig(const IniStore& config)
{
    BackupSchedule schedule;
    const QString kind = config.readString(ConfigKeys::SCHEDULE, QString(offValue)).trimmed();
    if (kind.compare(dailyValue, Qt::CaseInsensitive) == 0)
        schedule.frequency = Frequency::Daily;
    else if (kind.compare(weeklyValue, Qt::CaseInsensitive) == 0)
        schedule.frequency = Frequency::Weekly;
    // A missing or unusable time leaves the default one.
    parseTime(config.readString(ConfigKeys::SCHEDULE_TIME, QString()), &schedule.hour, &schedule.minute);
    const int day = config.readInt(ConfigKeys::SCHEDULE_DAY, defaultDay);
    schedule.dayOfWeek = day >= 1 && day <= 7 ? day : defaultDay;
    return schedule;
}

bool BackupSchedule::writeTo(IniStore& config) const
{
    QLatin1StringView value = offValue;
    if (frequency == Frequency::Daily)
        value = dailyValue;
    else if (frequency == Frequency::Weekly)
        value = weeklyValue;
    // All three keys are attempted even when one of them fails.
    bool ok = config.writeString(ConfigKeys::SCHEDULE, QString(value));
    ok = config.writeString(ConfigKeys::SCHEDULE_TIME, timeText()) && ok;
    ok = config.writeInt(ConfigKeys::SCHEDULE_DAY, dayOfWeek) && ok;
    return ok;
}

} // namespace ombrix
