#include "core/schedule/BackupSchedule.h"

#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <string>

using namespace ombrix;

TEST(BackupSchedule, AFreshConfigHasNoScheduleKeysAndMeansOff)
{
    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    const IniStore config(home.file(QStringLiteral("config.ini")));
    for (const ConfigKey& key : {ConfigKeys::SCHEDULE, ConfigKeys::SCHEDULE_TIME, ConfigKeys::SCHEDULE_DAY})
        EXPECT_FALSE(config.hasKey(key)) << key.name.data();
    const BackupSchedule schedule = BackupSchedule::fromConfig(config);
    EXPECT_FALSE(schedule.isOn());
    EXPECT_EQ(schedule, BackupSchedule());
    EXPECT_EQ(schedule.timeText(), QStringLiteral("20:00"));
    EXPECT_EQ(schedule.dayOfWeek, 1);
}

TEST(BackupSchedule, WhatIsWrittenReadsBack)
{
    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    IniStore config(home.file(QStringLiteral("config.ini")));
    BackupSchedule weekly;
    weekly.frequency = BackupSchedule::Frequency::Weekly;
    weekly.dayOfWeek = 7;
    weekly.hour = 6;
    weekly.minute = 45;
    ASSERT_TRUE(weekly.writeTo(config));
    EXPECT_EQ(config.readString(ConfigKeys::SCHEDULE, {}), QStringLiteral("WEEKLY"));
    EXPECT_EQ(config.readString(ConfigKeys::SCHEDULE_TIME, {}), QStringLiteral("06:45"));
    EXPECT_EQ(config.readInt(ConfigKeys::SCHEDULE_DAY, 0), 7);
    EXPECT_EQ(BackupSchedule::fromConfig(config), weekly);

    BackupSchedule off = weekly;
    off.frequency = BackupSchedule::Frequency::Off;
    ASSERT_TRUE(off.writeTo(config));
    EXPECT_EQ(config.readString(ConfigKeys::SCHEDULE, {}), QStringLiteral("OFF"));
    EXPECT_EQ(BackupSchedule::fromConfig(config), off);
}

TEST(BackupSchedule, ValuesEditedByHandAreReadLeniently)
{
    using Frequency = BackupSchedule::Frequency;
    const struct
    {
        const char* frequency;
        const char* time;
        const char* day;
        Frequency expectedFrequency;
        int expectedHour;
        int expectedMinute;
        int expectedDay;
    } cases[] = {
        {"daily", "7:05", "3", Frequency::Daily, 7, 5, 3},
        {"Weekly", " 23:59 ", "7", Frequency::Weekly, 23, 59, 7},
        {"HOURLY", "12:00", "1", Frequency::Off, 12, 0, 1},
        {"DAILY", "24:00", "0", Frequency::Daily, 20, 0, 1},
        {"DAILY", "12:5", "8", Frequency::Daily, 20, 0, 1},
        {"DAILY", "ab:cd", "x", Frequency::Daily, 20, 0, 1},
        {"DAILY", "12:30:00", "-1", Frequency::Daily, 20, 0, 1},
        {"", "", "", Frequency::Off, 20, 0, 1},
    };
    for (const auto& c : cases) {
        test::TempProgramFolder home;
        home.write(QStringLiteral("config.ini"), QByteArray("[OPTIONS]\r\nSCHEDULE=") + c.frequency +
                                                     "\r\nSCHEDULE_TIME=" + c.time +
                                                     "\r\nSCHEDULE_DAY=" + c.day + "\r\n");
        const BackupSchedule schedule =
            BackupSchedule::fromConfig(IniStore(home.file(QStringLiteral("config.ini"))));
        const std::string which = std::string(c.frequency) + " / " + c.time + " / " + c.day;
        EXPECT_EQ(schedule.frequency, c.expectedFrequency) << which;
        EXPECT_EQ(schedule.hour, c.expectedHour) << which;
        EXPECT_EQ(schedule.minute, c.expectedMinute) << which;
        EXPECT_EQ(schedule.dayOfWeek, c.expectedDay) << which;
    }
}
