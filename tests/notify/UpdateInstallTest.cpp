#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "notify/TComThread.h"
#include "notify/UpdateInstaller.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

using namespace ombrix;
using namespace ombrix::test;

namespace {

// The "new version": a program that writes down where and how it was started, and ends.
const QByteArray newVersion = "#!/bin/sh\n"
                              "{ pwd -P; for a in \"$@\"; do echo \"arg:$a\"; done; } > marker.part\n"
                              "mv marker.part marker.txt\n";

constexpr QFileDevice::Permissions programMode =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A copy of the built ombrix in folder, as an unpacked portable installation has it.
bool copyProgram(const QString& folder)
{
    const QString target = QDir(folder).filePath(QStringLiteral("ombrix"));
    return QFile::copy(QDir(binDir()).filePath(QStringLiteral("ombrix")), target) &&
           QFile::setPermissions(target, programMode);
}

// Starts a program folder's ombrix the way a person or the scheduler does and waits for it to end.
bool runOld(const QString& program, const QString& home, const QStringList& arguments,
            const QString& outputFolder, int* exitCode)
{
    QProcess old;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
    old.setProcessEnvironment(env);
    // Files, not pipes: the restarted program inherits them and may outlive this process.
    old.setStandardOutputFile(QDir(outputFolder).filePath(QStringLiteral("stdout.txt")));
    old.setStandardErrorFile(QDir(outputFolder).filePath(QStringLiteral("stderr.txt")));
    old.start(program, arguments);
    if (!old.waitForFinished(120000)) {
        old.kill();
        old.waitForFinished();
        return false;
    }
    *exitCode = old.exitCode();
    return old.exitStatus() == QProcess::NormalExit;
}

class UpdateInstall : public ::testing::TestWithParam<bool>
{
};

} // namespace

TEST_P(UpdateInstall, NextStartInstallsTheVerifiedUpdateAndRestartsInTheSameRunMode)
{
    const bool scheduled = GetParam();
    TempProgramFolder home;
    QTemporaryDir output;
    ASSERT_TRUE(output.isValid());
    ASSERT_TRUE(copyProgram(home.path()));
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    home.write(TComThread::versionFile, newVersion);
    // As the update check leaves it: not executable.
    ASSERT_TRUE(QFile::setPermissions(home.file(TComThread::versionFile),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    int exitCode = -1;
    ASSERT_TRUE(runOld(home.file(QStringLiteral("ombrix")), home.path(),
                       scheduled ? QStringList{QStringLiteral("-start")} : QStringList{}, output.path(),
                       &exitCode));
    EXPECT_EQ(exitCode, 0);

    // restart.sh waits for the old process, then installs and starts the new version.
    const QString marker = home.file(QStringLiteral("marker.txt"));
    const QDeadlineTimer limit(120000);
    while (!QFileInfo::exists(marker) && !limit.hasExpired())
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(marker))
        << "the new version was not started: "
        << readFile(output.filePath(QStringLiteral("stderr.txt"))).toStdString();

    const QStringList lines =
        QString::fromUtf8(readFile(marker)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QFileInfo(home.path()).canonicalFilePath());
    EXPECT_EQ(lines.mid(1), scheduled ? QStringList{QStringLiteral("arg:-start")} : QStringList{});

    // The executable was replaced by the new version and kept its mode; nothing is left over.
    const QString program = home.file(QStringLiteral("ombrix"));
    EXPECT_EQ(readFile(program), newVersion);
    EXPECT_EQ(QFile::permissions(program) & programMode, programMode);
    EXPECT_FALSE(QFileInfo::exists(home.file(TComThread::versionFile)));
    EXPECT_FALSE(QFileInfo::exists(home.file(UpdateInstaller::scriptName)));
}

INSTANTIATE_TEST_SUITE_P(Notify, UpdateInstall, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Scheduled" : "Interactive");
                         });

TEST(UpdateInstallation, AProgramWhoseFilesLiveElsewhereDoesNotReplaceItself)
{
    // The executable in one folder, its program folder (OMBRIX_HOME) another one.
    TempProgramFolder home;
    QTemporaryDir installed;
    QTemporaryDir output;
    ASSERT_TRUE(installed.isValid() && output.isValid());
    ASSERT_TRUE(copyProgram(installed.path()));
    const QString program = installed.filePath(QStringLiteral("ombrix"));
    const QByteArray original = readFile(program);
    QFile update(installed.filePath(TComThread::versionFile));
    ASSERT_TRUE(update.open(QIODevice::WriteOnly));
    update.write(newVersion);
    update.close();
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    IniStore(home.file(QStringLiteral("config.ini")))
        .writeString(ConfigKeys::BACKUP_DIR, home.file(QStringLiteral("unplugged")));

    // A scheduled run whose destination is not there ends by itself after the readiness check.
    int exitCode = -1;
    ASSERT_TRUE(runOld(program, home.path(), {QStringLiteral("-start")}, output.path(), &exitCode));
    EXPECT_EQ(readFile(program), original);
    EXPECT_TRUE(QFileInfo::exists(installed.filePath(TComThread::versionFile)));
    EXPECT_FALSE(QFileInfo::exists(installed.filePath(UpdateInstaller::scriptName)));
    EXPECT_FALSE(QFileInfo::exists(home.file(UpdateInstaller::scriptName)));
    EXPECT_FALSE(QFileInfo::exists(installed.filePath(QStringLiteral("marker.txt"))));
}

TEST(UpdateInstallation, OnlyAPortableInstallationMayReplaceItsExecutable)
{
    TempProgramFolder home;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    home.write(QStringLiteral("ombrix"), newVersion);
    const QString program = home.file(QStringLiteral("ombrix"));
    ASSERT_TRUE(QFile::link(program, elsewhere.filePath(QStringLiteral("link"))));

    EXPECT_TRUE(UpdateInstaller::maySelfUpdate(program, home.path()));
    // The folder given with a trailing slash or through "." is the same folder.
    EXPECT_TRUE(UpdateInstaller::maySelfUpdate(program, home.path() + QStringLiteral("/./")));
    EXPECT_FALSE(UpdateInstaller::maySelfUpdate(program, elsewhere.path()));
    // A link is followed to the real executable, whose folder is not the link's.
    EXPECT_FALSE(
        UpdateInstaller::maySelfUpdate(elsewhere.filePath(QStringLiteral("link")), elsewhere.path()));
    EXPECT_FALSE(UpdateInstaller::maySelfUpdate(home.file(QStringLiteral("missing")), home.path()));
    // Files of the package manager, even for a user who could write them.
    if (QFileInfo(QStringLiteral("/usr/bin/env")).isFile()) {
        EXPECT_FALSE(
            UpdateInstaller::maySelfUpdate(QStringLiteral("/usr/bin/env"), QStringLiteral("/usr/bin")));
    }
}
