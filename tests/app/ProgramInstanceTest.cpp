#include "core/app/ExitCode.h"
#include "platform/InstanceLock.h"
#include "support/TempProgramFolder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace ombrix;
using platform::InstanceLock;

namespace {

QString ombrixProgram()
{
    return QDir(test::binDir()).filePath(QStringLiteral("ombrix"));
}

// A real "ombrix -start" (or other arguments) with its own program folder and no display. Its
// automatic START and the pause before a hidden run ends are both put off by an hour, so an
// instance that took its lock is still running whatever its readiness check found, until the
// test ends it: none ends by itself while the test needs it.
std::unique_ptr<QProcess> startOmbrix(const QString& home, const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home);
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("3600000"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("3600000"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program picks offscreen by itself
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    // The start-up deletes every *.tmp after taking its lock: this one vanishing says it has.
    QFile marker(QDir(home).filePath(QStringLiteral("starting.tmp")));
    if (marker.open(QIODevice::WriteOnly))
        marker.close();
    process->start(ombrixProgram(), arguments);
    return process;
}

// The program has taken its lock and finished the file steps of its start-up.
bool waitUntilRunning(QProcess& process, const QString& home)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
        // Probe the lock only once the program has it: a probe that won would end the program.
        if (!QFileInfo::exists(QDir(home).filePath(QStringLiteral("starting.tmp"))) &&
            QFileInfo::exists(QDir(home).filePath(QStringLiteral("config.ini")))) {
            InstanceLock probe(home);
            return probe.tryAcquire() == InstanceLock::Result::HeldElsewhere;
        }
        if (process.waitForFinished(50))
            return false;
    }
    return false;
}

// The program still runs and holds the lock of its folder.
bool holdsTheLock(QProcess& process, const QString& home)
{
    process.waitForFinished(0); // notices an end that happened meanwhile
    if (process.state() != QProcess::Running)
        return false;
    InstanceLock probe(home);
    return probe.tryAcquire() == InstanceLock::Result::HeldElsewhere;
}

class ProgramInstance : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!QFileInfo(ombrixProgram()).isExecutable())
            GTEST_FAIL() << "ombrix is not built in " << test::binDir().toStdString();
    }
};

} // namespace

TEST_F(ProgramInstance, SecondStartFromTheSameFolderEndsAnotherFolderRunsAlongside)
{
    QTemporaryDir a;
    QTemporaryDir b;
    // Left-overs the start-up clears, and a folder that only looks like a temporary file.
    for (const char* name : {"old.tmp", "restart.sh", "TotalCommander_7zip_plugin.rar"}) {
        QFile f(QDir(a.path()).filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(a.path()).mkdir(QStringLiteral("kept.tmp"));

    auto first = startOmbrix(a.path(), {QStringLiteral("-start")});
    ASSERT_TRUE(waitUntilRunning(*first, a.path()))
        << "the first start did not take its lock and finish its start-up files within 30 s";
    EXPECT_TRUE(QFileInfo::exists(QDir(a.path()).filePath(QStringLiteral("sources.txt"))));
    for (const char* gone : {"old.tmp", "restart.sh", "TotalCommander_7zip_plugin.rar"})
        EXPECT_FALSE(QFileInfo::exists(QDir(a.path()).filePath(QLatin1String(gone)))) << gone;
    EXPECT_TRUE(QFileInfo(QDir(a.path()).filePath(QStringLiteral("kept.tmp"))).isDir());

    // The same folder again, scheduled or not: ends by itself, without touching anything, and
    // tells its starter so.
    for (const QStringList& arguments : {QStringList{QStringLiteral("-start")}, QStringList{}}) {
        auto second = startOmbrix(a.path(), arguments);
        ASSERT_TRUE(second->waitForFinished(20000))
            << "a second start from the same folder did not end by itself within 20 s";
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), app::ExitCode::AnotherInstance);
        // It never reached the start-up: its marker is still there.
        EXPECT_TRUE(QFileInfo::exists(QDir(a.path()).filePath(QStringLiteral("starting.tmp"))));
        // It was refused because the first one ran all the while, not because that one had ended.
        EXPECT_TRUE(holdsTheLock(*first, a.path()))
            << "the first instance was no longer running when the second start ended";
    }

    auto other = startOmbrix(b.path(), {QStringLiteral("-start")});
    ASSERT_TRUE(waitUntilRunning(*other, b.path()))
        << "a start from another folder did not take its own lock within 30 s";
    EXPECT_TRUE(holdsTheLock(*first, a.path())) << "the first instance ended when another folder's started";

    // SIGTERM ends a hidden run as the tray menu's "Exit" does: at once. Neither run had a
    // destination to back up to, so neither completed.
    for (QProcess* process : {first.get(), other.get()}) {
        ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
        ASSERT_TRUE(process->waitForFinished(20000)) << "SIGTERM did not end the hidden run within 20 s";
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), app::ExitCode::NotCompleted);
    }
    InstanceLock after(a.path());
    EXPECT_EQ(after.tryAcquire(), InstanceLock::Result::Acquired);
}

TEST_F(ProgramInstance, KilledInstanceLeavesNoLockBehind)
{
    QTemporaryDir home;
    auto crashed = startOmbrix(home.path(), {QStringLiteral("-start")});
    ASSERT_TRUE(waitUntilRunning(*crashed, home.path()))
        << "the first start did not take its lock within 30 s";
    crashed->kill(); // SIGKILL: no clean-up of ours runs
    ASSERT_TRUE(crashed->waitForFinished(20000)) << "the killed instance was not reaped within 20 s";

    auto next = startOmbrix(home.path(), {QStringLiteral("-start")});
    ASSERT_TRUE(waitUntilRunning(*next, home.path()))
        << "the start after the crash did not get the lock within 30 s";
    ::kill(static_cast<pid_t>(next->processId()), SIGTERM);
    ASSERT_TRUE(next->waitForFinished(20000)) << "SIGTERM did not end the hidden run within 20 s";
    EXPECT_EQ(next->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next->exitCode(), app::ExitCode::NotCompleted); // it had no destination either
}

// A second start says on standard error why it ends, also when it reaches the program folder
// through a link, and ends with its own code, so a scheduler tells it from a failed backup.
TEST_F(ProgramInstance, SecondInstanceSaysWhyAndEndsWithItsOwnCode)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("home")));
    const QString home = root.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QFile::link(home, root.filePath(QStringLiteral("link"))));
    InstanceLock running(home);
    ASSERT_EQ(running.tryAcquire(), InstanceLock::Result::Acquired) << running.problem().toStdString();

    for (const QString& folder : {home, root.filePath(QStringLiteral("link"))}) {
        SCOPED_TRACE(folder.toStdString());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("OMBRIX_HOME"), folder);
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(ombrixProgram(), {QStringLiteral("-start")});
        ASSERT_TRUE(process.waitForFinished(20000)) << "the second start did not end by itself within 20 s";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), app::ExitCode::AnotherInstance);
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(error.contains(QStringLiteral("another instance runs from the program folder")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QFileInfo(home).canonicalFilePath())) << error.toStdString();
        // It stopped before the start-up: nothing was created in the program folder.
        EXPECT_FALSE(QFileInfo::exists(QDir(home).filePath(QStringLiteral("config.ini"))));
    }
}

TEST_F(ProgramInstance, UnwritableProgramFolderEndsTheStartWithoutWaitingForAClick)
{
    QTemporaryDir home;
    QDir(home.path()).mkdir(QStringLiteral("sources.txt"));
    auto process = startOmbrix(home.path(), {QStringLiteral("-start")});
    // No person sits at a hidden run: the message is not waited on and the program ends, saying
    // so to the scheduler.
    ASSERT_TRUE(process->waitForFinished(20000)) << "the start did not end by itself within 20 s";
    EXPECT_EQ(process->exitCode(), 2);
    EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral("config.ini"))));
}

// A start made by the restart script after an attach (restart.sh lies in the program folder)
// waits for the instance that wrote it to close instead of ending at once; when that instance
// keeps running (a scheduled run only hides its window), the start ends by itself after its wait.
TEST_F(ProgramInstance, RestartedStartWaitsForTheClosingInstance)
{
    for (const bool oldInstanceCloses : {true, false}) {
        SCOPED_TRACE(oldInstanceCloses ? "the old instance closes" : "the old instance keeps running");
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        InstanceLock old(home.path());
        ASSERT_EQ(old.tryAcquire(), InstanceLock::Result::Acquired) << old.problem().toStdString();
        const QString script = QDir(home.path()).filePath(QStringLiteral("restart.sh"));
        {
            QFile f(script);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n");
        }

        auto restarted = startOmbrix(home.path(), {QStringLiteral("-start")});
        if (!oldInstanceCloses) {
            ASSERT_TRUE(restarted->waitForFinished(30000)) << "the restarted start never gave up";
            EXPECT_EQ(restarted->exitCode(), app::ExitCode::AnotherInstance);
            // It never reached the start-up.
            EXPECT_TRUE(QFileInfo::exists(script));
            continue;
        }
        EXPECT_FALSE(restarted->waitForFinished(1500))
            << "the restarted start gave up while the old instance was still closing";
        old.release();
        ASSERT_TRUE(waitUntilRunning(*restarted, home.path()))
            << "the restarted start did not take the lock the old instance let go";
        EXPECT_FALSE(QFileInfo::exists(script)) << "the start-up did not delete restart.sh";
        ::kill(static_cast<pid_t>(restarted->processId()), SIGTERM);
        ASSERT_TRUE(restarted->waitForFinished(20000)) << "SIGTERM did not end the hidden run within 20 s";
    }
}
