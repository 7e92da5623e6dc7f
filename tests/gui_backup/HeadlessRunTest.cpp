#include "core/app/ExitCode.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "support/ScheduledRun.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using namespace ombrix;
using namespace ombrix::test;

namespace {

QStringList setsIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
}

} // namespace

TEST(HeadlessRun, ScheduledStartBacksUpAndEndsByItself)
{
    TempProgramFolder home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    ASSERT_TRUE(destination.isValid() && sources.isValid());
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    {
        IniStore config(home.file(QStringLiteral("config.ini")));
        config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
        config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    }
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {sources.path()}));
    QFile file(sources.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("first\n");
    file.close();

    const ScheduledRun first = ScheduledRun::run(home.path());
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_TRUE(first.output.contains(QString::fromUtf8("Úspěšný konec zálohování")))
        << first.output.toStdString();
    ASSERT_EQ(setsIn(destination.path()).size(), 1);
    const QString set = setsIn(destination.path()).first();
    EXPECT_TRUE(QFile::exists(destination.filePath(set) + sources.filePath(QStringLiteral("a.txt.7z"))));
    const IniStore config(home.file(QStringLiteral("config.ini")));
    EXPECT_TRUE(config.readBool(ConfigKeys::LAST_BACKUP_DONE, false));
    EXPECT_EQ(config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString()), set);

    // Set names have one-second resolution: the next run must not fall into the same second.
    QThread::msleep(1100);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("second\n");
    file.flush();
    // Catalog times have two-second resolution: a change within the same two seconds as the
    // first run's reading would look unchanged, so the change gets a time well after it.
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(4), QFileDevice::FileModificationTime));
    file.close();
    const ScheduledRun second = ScheduledRun::run(home.path());
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_EQ(setsIn(destination.path()).size(), 2);
    EXPECT_EQ(
        IniStore(home.file(QStringLiteral("config.ini"))).readString(ConfigKeys::LAST_ARCHIV_NAME, QString()),
        setsIn(destination.path()).last());
}

TEST(HeadlessRun, ScheduledRunWithAnUnreachableDestinationEnds)
{
    TempProgramFolder home;
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    {
        IniStore config(home.file(QStringLiteral("config.ini")));
        config.writeString(ConfigKeys::BACKUP_DIR, scratch.filePath(QStringLiteral("unplugged")));
        config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    }
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {scratch.path()}));

    const ScheduledRun outcome = ScheduledRun::run(home.path());
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, app::ExitCode::NotCompleted);
    EXPECT_TRUE(outcome.output.contains(QString::fromUtf8("Cílová složka není dostupná")))
        << outcome.output.toStdString();
    EXPECT_TRUE(setsIn(scratch.path()).isEmpty());
}
