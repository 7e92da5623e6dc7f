#include "core/app/RunMode.h"

#include "core/app/AutoStartAction.h"
#include "core/app/NoCompressExtensions.h"
#include "core/app/ProgramVersion.h"

#include <gtest/gtest.h>

using namespace ombrix;
using namespace ombrix::app;

TEST(RunMode, OnlyAnExactFirstArgumentSelectsAMode)
{
    const struct
    {
        QStringList arguments;
        RunMode expected;
    } cases[] = {
        {{"ombrix"}, RunMode::Interactive},
        {{}, RunMode::Interactive},
        {{"ombrix", "-start"}, RunMode::Scheduled},
        {{"ombrix", "-start", "-checklang", "x"}, RunMode::Scheduled},
        {{"ombrix", "-START"}, RunMode::Interactive},
        {{"ombrix", "-start "}, RunMode::Interactive},
        {{"ombrix", "start"}, RunMode::Interactive},
        {{"ombrix", "", "-start"}, RunMode::Interactive},
        {{"ombrix", "x", "-start"}, RunMode::Interactive},
        {{"ombrix", "-checklang"}, RunMode::CheckLang},
        {{"ombrix", "-CHECKLANG"}, RunMode::Interactive},
        {{"ombrix", "-checklang", "-start"}, RunMode::CheckLang},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runModeFromArguments(c.arguments), c.expected)
            << c.arguments.join(QLatin1Char('|')).toStdString();
}

TEST(RunMode, UnattendedWhenScheduledOrAutoStartTicked)
{
    EXPECT_TRUE(isUnattended(RunMode::Scheduled, false));
    EXPECT_TRUE(isUnattended(RunMode::Interactive, true));
    EXPECT_FALSE(isUnattended(RunMode::Interactive, false));
    EXPECT_FALSE(isUnattended(RunMode::CheckLang, false));
}

TEST(AutoStart, InterruptedMergeWinsOverBackupAndPendingRestoreStartsNothing)
{
    EXPECT_EQ(autoStartAction(false, true), AutoStartAction::ContinueMerge);
    EXPECT_EQ(autoStartAction(false, false), AutoStartAction::ContinueMerge);
    EXPECT_EQ(autoStartAction(true, true), AutoStartAction::StartBackup);
    EXPECT_EQ(autoStartAction(true, false), AutoStartAction::None);
}

TEST(ProgramVersion, PaddedOrCutToFourNumbers)
{
    EXPECT_EQ(fourPartVersion(QStringLiteral("0.1.0")), QStringLiteral("0.1.0.0"));
    EXPECT_EQ(fourPartVersion(QStringLiteral("3")), QStringLiteral("3.0.0.0"));
    EXPECT_EQ(fourPartVersion(QStringLiteral("1.2.3.4.5")), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(fourPartVersion(QStringLiteral("1.x.3")), QStringLiteral("1.0.3.0"));
    EXPECT_EQ(fourPartVersion(QString()), QStringLiteral("0.0.0.0"));
    EXPECT_TRUE(windowCaption().startsWith(QStringLiteral("Ombrix v")));
    EXPECT_EQ(windowCaption().count(QLatin1Char('.')), 3);
}

TEST(NoCompressExtensions, EveryExtensionEnclosedAndLastOneOpen)
{
    const QString list = noCompressExtensions();
    EXPECT_TRUE(list.startsWith(QStringLiteral("@.3gp@")));
    EXPECT_TRUE(list.endsWith(QStringLiteral("@.gz")));
    for (const char* ext : {".avi", ".mpg", ".jpeg", ".amr", ".flac", ".001", ".zix"})
        EXPECT_TRUE(list.contains(QLatin1Char('@') + QLatin1String(ext) + QLatin1Char('@'))) << ext;
    // The pieces join without doubled or missing separators.
    EXPECT_FALSE(list.contains(QStringLiteral("@@")));
    EXPECT_FALSE(list.contains(QStringLiteral("avi.mpg")));
}
