#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

using namespace ombrix;
using namespace ombrix::test;

namespace {

struct Outcome
{
    bool finished = false;
    int exitCode = -1;
    QString output;
};

// The real program, as cron would start it: "-start", no display, the delays shortened.
Outcome runScheduled(const QString& home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
    process.setProcessEnvironment(env);
    process.start(QDir(binDir()).filePath(QStringLiteral("ombrix")), {QStringLiteral("-start")});
    Outcome outcome;
    outcome.finished = process.waitForFinished(180000);
    if (!outcome.finished)
        process.kill();
    outcome.exitCode = process.exitCode();
    outcome.output = QString::fromUtf8(process.readAllStandardOutput());
    return outcome;
}

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

    const Outcome first = runScheduled(home.path());
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
    file.close();
    const Outcome second = runScheduled(home.path());
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

    const Outcome outcome = runScheduled(home.path());
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.output.contains(QString::fromUtf8("Cílová složka není dostupná")))
        << outcome.output.toStdString();
    EXPECT_TRUE(setsIn(scratch.path()).isEmpty());
}
