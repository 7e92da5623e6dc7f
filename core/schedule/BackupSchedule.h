#pragma once

#include <QLatin1StringView>
#include <QString>

namespace ombrix {

class IniStore;

// When scheduled backups run (local time): never, every day at a time, or once a week on a day
// at a time. Stored in [OPTIONS] as SCHEDULE ("OFF", "DAILY", "WEEKLY"), SCHEDULE_TIME ("HH:MM")
// and SCHEDULE_DAY (1 Monday ... 7 Sunday); the keys are read with defaults, so a config.ini
// without them means "off".
struct BackupSchedule
{
    enum class Frequency
    {
        Off,
        Daily,
        Weekly,
    };

    static constexpr QLatin1StringView offValue{"OFF"};
    static constexpr QLatin1StringView dailyValue{"DAILY"};
    static constexpr QLatin1StringView weeklyValue{"WEEKLY"};
    static constexpr int defaultHour = 20;
    static constexpr int defaultMinute = 0;
    static constexpr int defaultDay = 1;

    Frequency frequency = Frequency::Off;
    int hour = defaultHour;
    int minute = defaultMinute;
    // 1 Monday ... 7 Sunday, as QDate::dayOfWeek counts; only a weekly schedule uses it.
    int dayOfWeek = defaultDay;

    bool isOn() const { return frequency != Frequency::Off; }
    // "HH:MM", as SCHEDULE_TIME holds it.
    QString timeText() const;

    // "H:MM" or "HH:MM" with an hour 0-23 and a minute 0-59 (blanks around it allowed).
    static bool parseTime(const QString& text, int* hourOut, int* minuteOut);
    // The three keys; each missing or unusable value gives its default (off, 20:00, Monday).
    // SCHEDULE is compared without regard to case.
    static BackupSchedule fromConfig(const IniStore& config);
    // Writes the three keys; false when config.ini could not be written.
    bool writeTo(IniStore& config) const;

    bool operator==(const BackupSchedule&) const = default;
};

} // namespace ombrix
