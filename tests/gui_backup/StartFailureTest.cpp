#include "core/config/DefaultConfig.h"
#include "support/TempProgramFolder.h"
#include "ui/mainwindow/EngineHooks.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <unistd.h>

namespace ombrix::test {

namespace {

// This process's standard error, sent into a file while the object lives.
class CapturedStandardError
{
  public:
    explicit CapturedStandardError(const QString& path) : m_path(path)
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
    }
    ~CapturedStandardError() { restore(); }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;

    // What was written, with standard error given back.
    QString text()
    {
        restore();
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

  private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QString m_path;
    int m_saved = -1;
};

const QString permissionText = permissionProblemText.toString();

} // namespace

// A scheduled run in a program folder where sources.txt cannot be made: nobody sees the message
// box of a hidden run, so the problem goes to standard error and the start reports a failure.
TEST(StartFailure, UnwritableProgramFolderIsPrintedAndEndsTheStartNotCompleted)
{
    TempProgramFolder home;
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("sources.txt")));
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString previous = QDir::currentPath();
    bool started = true;
    int exitCode = 0;
    QString printed;
    {
        ui::ProgramShell shell(app::RunMode::Scheduled, ui::EngineHooks{});
        shell.controller()->setTerminator([](int) {});
        CapturedStandardError captured(scratch.filePath(QStringLiteral("stderr.txt")));
        started = shell.start();
        exitCode = shell.startExitCode();
        printed = captured.text();
    }
    QDir::setCurrent(previous);
    EXPECT_FALSE(started);
    EXPECT_EQ(exitCode, ui::ProgramShell::permissionFailureExitCode);
    EXPECT_NE(exitCode, 0);
    EXPECT_TRUE(printed.contains(permissionText)) << printed.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("config.ini"))));
}

// The same with the real program as cron or a systemd timer starts it: no display, "-start".
TEST(StartFailure, ScheduledProgramInAnUnwritableFolderPrintsTheProblemAndExitsNonZero)
{
    const QString ombrix = QDir(binDir()).filePath(QStringLiteral("ombrix"));
    ASSERT_TRUE(QFileInfo(ombrix).isExecutable()) << "ombrix is not built in " << binDir().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("sources.txt")));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(ombrix, {QStringLiteral("-start")});
    ASSERT_TRUE(process.waitForFinished(60000)) << "ombrix did not end by itself";
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(errors.contains(permissionText)) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral("config.ini"))));
}

} // namespace ombrix::test
