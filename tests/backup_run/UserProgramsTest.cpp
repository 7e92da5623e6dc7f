#include "BackupFixture.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/log/Status.h"
#include "support/ArchiverWrapper.h"
#include "support/CrashChecks.h"

#include <functional>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace ombrix::test {
namespace {

const QString waitingText = QStringLiteral("čeká se na dokončení programu před zálohováním..");
const QString warningText = QStringLiteral("Zálohování dokončeno s varováním. Více v log.txt");
const QString notStartedLog = QStringLiteral("not started: ");

// Waits for a condition, at most timeoutMs.
bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QThread::msleep(20);
    }
    return true;
}

// A real program for before or after a backup: a shell script in a folder of its own. Each start
// appends its working folder and its arguments as one line to <script>.runs, then waits until
// <script>.release exists (a minute at most) and appends a line to <script>.done as it ends. So
// while a test holds it back, a started script is a live process the test can see.
class UserScript
{
  public:
    explicit UserScript(const QString& name)
    {
        m_path = m_folder.filePath(name);
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n"
                   "printf '%s|%s\\n' \"$(pwd -P)\" \"$*\" >> \"$0.runs\"\n"
                   "i=0\n"
                   "while [ ! -e \"$0.release\" ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i + 1)); done\n"
                   "echo done >> \"$0.done\"\n");
        file.close();
        EXPECT_TRUE(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
    }
    ~UserScript()
    {
        release();
        waitFor([this] { return !running(); }, 5000);
    }
    UserScript(const UserScript&) = delete;
    UserScript& operator=(const UserScript&) = delete;

    QString path() const { return m_path; }
    // The script's folder with links resolved, as the script sees its working folder.
    QString folder() const { return QFileInfo(m_folder.path()).canonicalFilePath(); }
    QString command(const QString& argument) const { return m_path + QLatin1Char(' ') + argument; }

    // "working folder|arguments" of every start so far.
    QStringList runs() const { return lines(QStringLiteral(".runs")); }
    bool done() const { return !lines(QStringLiteral(".done")).isEmpty(); }
    // A start of the script is alive now.
    bool running() const { return !CrashChecks::liveHelpers({m_path}, 0).isEmpty(); }
    void release() const
    {
        QFile file(m_path + QStringLiteral(".release"));
        if (file.open(QIODevice::WriteOnly))
            file.close();
    }

  private:
    QStringList lines(const QString& suffix) const
    {
        QFile file(m_path + suffix);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_folder;
    QString m_path;
};

using UserProgramsTest = BackupFixture;

// The program before the backup runs in its own folder with its parameters, and START waits for
// it: the scan begins only after it has ended, while the window is kept alive.
TEST_F(UserProgramsTest, ProgramBeforeTheBackupIsWaitedForBeforeTheScan)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    UserScript before(QStringLiteral("before.sh"));
    restartProgram();
    controls.checkBox1 = true;
    controls.edit6 = before.command(QStringLiteral("first-arg"));

    bool released = false;
    bool setsWhileWaiting = true;
    bool doneAtScan = false;
    bool scanSeen = false;
    host.setPumpHook([&] {
        const QString shown = host.currentStatus(Page::Backup);
        if (!released && shown == statusText(Page::Backup, waitingText) && !before.runs().isEmpty()) {
            setsWhileWaiting = !sets().isEmpty();
            released = true;
            before.release();
        }
        if (!scanSeen &&
            shown == statusText(Page::Backup,
                                QStringLiteral("Skenování adresářů a souborů určených k zálohování"))) {
            scanSeen = true;
            doneAtScan = before.done();
        }
    });
    pressStart();
    host.setPumpHook({});

    ASSERT_TRUE(released) << "the window was never pumped while the program before the backup ran";
    EXPECT_FALSE(setsWhileWaiting) << "the backup began while the program before it still ran";
    ASSERT_TRUE(scanSeen);
    EXPECT_TRUE(doneAtScan) << "the scan began before the program before the backup had ended";
    EXPECT_EQ(before.runs(), QStringList{before.folder() + QStringLiteral("|first-arg")});
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(sets().size(), 1);
}

// The program after the backup is started at the end of the run in its own folder with its
// parameters, and the run does not wait for it: it is still held back when START returns.
TEST_F(UserProgramsTest, ProgramAfterTheBackupRunsWithoutBeingWaitedFor)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    UserScript after(QStringLiteral("after.sh"));
    restartProgram();
    controls.checkBox3 = true;
    controls.edit7 = after.command(QStringLiteral("after-arg"));

    pressStart();
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_FALSE(after.done()) << "the run waited for the program after the backup";
    ASSERT_TRUE(waitFor([&] { return !after.runs().isEmpty(); }, 30000))
        << "the program after the backup did not start within 30 s of the end of the run";
    EXPECT_TRUE(after.running()) << "the program after the backup is not running while it is held back";
    after.release();
    EXPECT_TRUE(waitFor([&] { return after.done(); }, 30000))
        << "the program after the backup did not end within 30 s of its release";
    EXPECT_EQ(after.runs(), QStringList{after.folder() + QStringLiteral("|after-arg")});
}

// A run the user stopped still runs the program after the backup.
TEST_F(UserProgramsTest, ProgramAfterTheBackupAlsoRunsAfterStop)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    writeSource(QStringLiteral("c.txt"), "gamma");
    UserScript after(QStringLiteral("after.sh"));
    restartProgram();
    controls.checkBox3 = true;
    controls.edit7 = after.command(QStringLiteral("after-stop"));

    // STOP is pressed while the archiver call for the second file is held.
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), sources.path() + QStringLiteral("/*")}, 2);
    bool pressed = false;
    host.setPumpHook([&] {
        if (!pressed && wrapper.waitForPause(0)) {
            pressed = true;
            run->BitBtn1Click();
        }
    });
    pressStart();
    host.setPumpHook({});
    wrapper.clear();
    ASSERT_TRUE(pressed) << "the run never reached the archiver call for its second file";
    EXPECT_TRUE(run->userStopped());
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"));
    EXPECT_TRUE(waitFor([&] { return !after.runs().isEmpty(); }, 30000))
        << "the program after the backup did not start within 30 s of the stopped run's end";
}

// How a run ends before its completion: a source list with an invalid line (skipping off), or a
// destination that is lost while the files are archived. Neither runs the program after the
// backup. The check is made the moment START returns: a started program would be a live process
// then, held back as it is.
struct AbandonedCase
{
    const char* name;
    bool lostDestination; // otherwise the source list is invalid
};

class AbandonedRun : public UserProgramsTest, public ::testing::WithParamInterface<AbandonedCase>
{
};

TEST_P(AbandonedRun, DoesNotRunTheProgramAfterTheBackup)
{
    const AbandonedCase c = GetParam();
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    UserScript after(QStringLiteral("after.sh"));
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    const QString moved = destination.path() + QStringLiteral(".moved");
    if (!c.lostDestination) {
        ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName),
                                       {sources.path(), sources.filePath(QStringLiteral("no such folder"))}));
    }
    restartProgram();
    controls.checkBox3 = true;
    controls.edit7 = after.command(QStringLiteral("abandoned"));
    bool lost = false;
    if (c.lostDestination) {
        // While the second file's archiver call is held, the destination goes away and a plain
        // file takes its place, as when a disk is pulled and something else is mounted there.
        wrapper.applyToThisProcess();
        wrapper.pauseAt({QStringLiteral("a"), sources.path() + QStringLiteral("/*")}, 2);
        host.setPumpHook([&] {
            if (lost || !wrapper.waitForPause(0))
                return;
            lost = QDir().rename(destination.path(), moved);
            QFile blocker(destination.path());
            lost = lost && blocker.open(QIODevice::WriteOnly);
            wrapper.release();
        });
    }
    pressStart();
    host.setPumpHook({});
    const bool startedAfter = after.running() || !after.runs().isEmpty();
    wrapper.clear();
    if (c.lostDestination) {
        EXPECT_TRUE(lost) << "the run never reached the archiver call for its second file";
        EXPECT_TRUE(statusShown(QStringLiteral("Cílový adresář není dostupný, zálohování je přerušeno")));
        QFile::remove(destination.path());
        EXPECT_TRUE(QDir().rename(moved, destination.path()));
    } else {
        EXPECT_TRUE(statusShown(QStringLiteral("Chyba v sources listu (co zálohovat), více v log.txt")));
    }
    EXPECT_FALSE(startedAfter)
        << "the program after the backup was started by a run that did not end properly";
}

INSTANTIATE_TEST_SUITE_P(Ends, AbandonedRun,
                         ::testing::Values(AbandonedCase{"InvalidSourceList", false},
                                           AbandonedCase{"LostDestination", true}),
                         [](const ::testing::TestParamInfo<AbandonedCase>& info) {
                             return std::string(info.param.name);
                         });

// A program before or after the backup that cannot be found or started is not skipped in
// silence: the log says "not started: " and the command, the backup itself is made, and the run
// ends with the warning.
struct NotStartedCase
{
    const char* name;
    bool before;       // the program before the backup, otherwise the one after it
    bool existsNoExec; // a file that is there but cannot be executed, otherwise no file at all
};

class ProgramNotStarted : public UserProgramsTest, public ::testing::WithParamInterface<NotStartedCase>
{
};

TEST_P(ProgramNotStarted, IsLoggedAndTheRunEndsWithTheWarning)
{
    const NotStartedCase c = GetParam();
    writeSource(QStringLiteral("a.txt"), "alpha");
    QTemporaryDir tools;
    ASSERT_TRUE(tools.isValid());
    const QString tool = tools.filePath(QStringLiteral("tool.sh"));
    if (c.existsNoExec) {
        QFile file(tool);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 0\n");
        file.close();
        ASSERT_TRUE(QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
    const QString command = tool + QStringLiteral(" --quiet");
    restartProgram();
    if (c.before) {
        controls.checkBox1 = true;
        controls.edit6 = command;
    } else {
        controls.checkBox3 = true;
        controls.edit7 = command;
    }
    pressStart();

    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1")) << "the backup was not made";
    EXPECT_EQ(sets().size(), 1);
    // The run log wherever it is now: in memory, in the program folder, or stored into the set.
    QString log = runLog->logBuffer().join(QLatin1Char('\n')) + QLatin1Char('\n') +
                  QString::fromUtf8(program->read(QStringLiteral("log.txt")));
    if (!sets().isEmpty()) {
        bool ok = false;
        log += QString::fromUtf8(
            extract(SetLayout::sideArchivePath(destination.path(), lastSet(), SetLayout::logFile), {}, &ok));
    }
    EXPECT_TRUE(log.contains(notStartedLog + command))
        << "no \"not started: \" line for " << command.toStdString() << "\nlog:\n"
        << log.toStdString();
    EXPECT_EQ(host.currentStatus(Page::Backup), statusText(Page::Backup, warningText))
        << "the run does not end with the warning";
    EXPECT_EQ(run->runStatus(), RunWarnings);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramNotStarted,
                         ::testing::Values(NotStartedCase{"MissingProgramBefore", true, false},
                                           NotStartedCase{"ProgramBeforeNotExecutable", true, true},
                                           NotStartedCase{"MissingProgramAfter", false, false}),
                         [](const ::testing::TestParamInfo<NotStartedCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace ombrix::test
