#include "platform/ProgramRestart.h"

#include "platform/InstanceLock.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <thread>

using namespace ombrix;
using platform::InstanceLock;

namespace {

// Waits (at most 20 s) until done answers true.
bool waitFor(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stand-in for the program in a folder whose name needs quoting: it records its arguments and
// its working folder, and removes the restart script when told to, as the program's start-up does.
QString writeStandIn(const QString& root, bool removesScript)
{
    const QString folder = QDir(root).filePath(QStringLiteral("it's a program"));
    EXPECT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("ombrix"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray text = "#!/bin/sh\n";
    if (removesScript)
        text += "rm -f restart.sh\n";
    text += "printf '%s|%s' \"$#\" \"$(pwd -P)\" > started.part && mv started.part started\n";
    file.write(text);
    file.close();
    EXPECT_TRUE(
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    return path;
}

} // namespace

// The script starts the executable by its path with no arguments in the program folder, then
// is gone: deleted by the new program, or by itself when the new program never got to it.
TEST(ProgramRestart, ScriptStartsTheProgramInItsFolderAndIsGoneAfterwards)
{
    for (const bool programRemovesScript : {true, false}) {
        SCOPED_TRACE(programRemovesScript ? "the program removes the script" : "the script removes itself");
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString home = root.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home));
        platform::RestartRequest request;
        request.executable = writeStandIn(root.path(), programRemovesScript);
        request.programFolder = home;
        request.keepSeconds = 1;

        const QString script = QDir(home).filePath(QStringLiteral("restart.sh"));
        // Only the program is started again, never an updater beside it.
        EXPECT_FALSE(platform::restartScript(request).contains(QStringLiteral("uombrix")));
        QString error;
        ASSERT_TRUE(platform::restartProgram(request, &error)) << error.toStdString();
        const QString marker = QDir(home).filePath(QStringLiteral("started"));
        ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(marker); })) << "the program was not started";
        EXPECT_EQ(readFile(marker), "0|" + QFile::encodeName(QFileInfo(home).canonicalFilePath()));
        EXPECT_TRUE(waitFor([&] { return !QFileInfo::exists(script); })) << "restart.sh stayed behind";
        EXPECT_FALSE(readFile(request.executable).isEmpty()) << "the program's file was touched";
    }
}

// A restarted start waits for the lock the closing instance still holds; when that one keeps
// running, the wait ends with the lock still taken.
TEST(ProgramRestart, LockWaitTakesTheLockOnceTheOldInstanceLetsGo)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    InstanceLock old(home.path());
    ASSERT_EQ(old.tryAcquire(), InstanceLock::Result::Acquired) << old.problem().toStdString();

    InstanceLock restarted(home.path());
    EXPECT_EQ(restarted.acquireWithin(300, 20), InstanceLock::Result::HeldElsewhere);
    EXPECT_FALSE(restarted.isHeld());

    std::thread closing([&old] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        old.release();
    });
    const InstanceLock::Result result = restarted.acquireWithin(InstanceLock::restartWaitMs, 20);
    closing.join();
    EXPECT_EQ(result, InstanceLock::Result::Acquired);
    EXPECT_TRUE(restarted.isHeld());
}
