#include "core/app/ExitCode.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/sources/SourcesFile.h"
#include "support/ScheduledRun.h"
#include "support/TempProgramFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using namespace ombrix;
using namespace ombrix::test;

namespace {

// A program folder for the real "ombrix -start": the default config.ini with a destination
// folder, and a source folder holding one file.
struct ScheduledSetup
{
    ScheduledSetup()
    {
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        config = std::make_unique<IniStore>(home.file(QStringLiteral("config.ini")));
        config->writeString(ConfigKeys::BACKUP_DIR, destination.path());
        config->writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
        QFile file(sources.filePath(QStringLiteral("a.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("content\n");
        file.close();
        // Written a while ago: a file written right before the run is read again by the next one.
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_TRUE(
            file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1), QFileDevice::FileModificationTime));
        file.close();
        setSources({sources.path()});
    }
    void setSources(const QStringList& lines) const
    {
        EXPECT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), lines));
    }
    int sets() const
    {
        return int(QDir(destination.path()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs).size());
    }
    ScheduledRun run() const { return ScheduledRun::run(home.path()); }

    TempProgramFolder home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    std::unique_ptr<IniStore> config;
};

struct ExitCase
{
    const char* name;
    std::function<void(ScheduledSetup&)> prepare;
    int exitCode;
    const char* said; // the whole last status line (UTF-8), or empty when it does not matter
    int sets;         // sets on the destination afterwards
};

} // namespace

// A scheduler learns from the exit code whether the run did its work.
TEST(UnattendedExitCode, TellsTheSchedulerHowTheRunEnded)
{
    const ExitCase cases[] = {
        {"completed", [](ScheduledSetup&) {}, app::ExitCode::Completed, "Úspěšný konec zálohování", 1},
        {"nothing to back up", [](ScheduledSetup& s) { s.setSources({}); }, app::ExitCode::Completed, "", 0},
        {"completed with warnings",
         [](ScheduledSetup& s) {
             s.config->writeBool(ConfigKeys::SOURCE_ERROR_SKIP, true);
             s.setSources({s.sources.path(), s.sources.filePath(QStringLiteral("no such entry"))});
         },
         app::ExitCode::Warnings, "Zálohování dokončeno s varováním. Více v log.txt", 1},
        {"invalid source line",
         [](ScheduledSetup& s) { s.setSources({s.sources.filePath(QStringLiteral("no such entry"))}); },
         app::ExitCode::NotCompleted, "", 0},
        // The English text is longer than the status line shows; the whole of it is printed.
        {"destination unreachable",
         [](ScheduledSetup& s) {
             s.config->writeString(ConfigKeys::LANGUAGE, QStringLiteral("EN"));
             s.config->writeString(ConfigKeys::BACKUP_DIR,
                                   s.destination.filePath(QStringLiteral("unplugged")));
         },
         app::ExitCode::NotCompleted, "The destination folder is not available. Backup is not possible.", 0},
        {"restore pending", [](ScheduledSetup& s) { s.config->writeInt(ConfigKeys::RECOVERY_DONE, 0); },
         app::ExitCode::NotCompleted, "Obnova dat nebyla dokončena, bude se pokračovat", 0},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScheduledSetup setup;
        c.prepare(setup);
        const ScheduledRun outcome = setup.run();
        ASSERT_TRUE(outcome.finished) << "the scheduled run did not end";
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.output.toStdString();
        const QString said = QString::fromUtf8(c.said);
        if (!said.isEmpty()) {
            // A line of its own, whole: not shortened as the status line shows it.
            const QStringList lines = outcome.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            EXPECT_TRUE(lines.contains(QStringLiteral("Ombrix: ") + said)) << outcome.output.toStdString();
        }
        EXPECT_EQ(setup.sets(), c.sets);
    }
}

// A second run that finds nothing changed has nothing to do; one whose last set the password
// (no longer set) does not open did not back anything up.
TEST(UnattendedExitCode, SecondRunsNothingChangedAndLastSetNotOpened)
{
    {
        ScheduledSetup setup;
        ASSERT_EQ(setup.run().exitCode, app::ExitCode::Completed);
        QThread::msleep(1100); // set names have one-second resolution
        const ScheduledRun unchanged = setup.run();
        ASSERT_TRUE(unchanged.finished);
        EXPECT_EQ(unchanged.exitCode, app::ExitCode::Completed) << unchanged.output.toStdString();
        EXPECT_EQ(setup.sets(), 1);
    }
    {
        ScheduledSetup setup;
        setup.config->writeString(ConfigKeys::PASSWORD, sifruj(QStringLiteral("secret")));
        ASSERT_EQ(setup.run().exitCode, app::ExitCode::Completed);
        setup.config->writeString(ConfigKeys::PASSWORD, QString());
        QThread::msleep(1100);
        const ScheduledRun locked = setup.run();
        ASSERT_TRUE(locked.finished);
        EXPECT_EQ(locked.exitCode, app::ExitCode::NotCompleted) << locked.output.toStdString();
        EXPECT_EQ(setup.sets(), 1);
    }
}
