#include "platform/ChildProcess.h"

#include "process/ProcessTable.h"
#include "support/TempProgramFolder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>
#include <sys/wait.h>
#include <unistd.h>

using namespace ombrix;
using namespace ombrix::platform;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ChildResult run(const ChildRequest& request, RunState& state, const std::function<void()>& pump = {})
{
    return ShellExecAndWait(request, state, pump);
}

} // namespace

// Arguments go to the program one by one, untouched by any shell: no splitting, no quote
// removal, no expansion of "$HOME", "*" or "~".
TEST(ChildProcess, ArgumentsArriveExactlyAsGiven)
{
    test::TempProgramFolder folder;
    const QStringList arguments = {QStringLiteral("a b"),      QStringLiteral("\"quoted\""),
                                   QStringLiteral("it's"),     QStringLiteral("$HOME"),
                                   QStringLiteral("*"),        QStringLiteral("~"),
                                   QStringLiteral("-leading"), QStringLiteral("žluťoučký kůň"),
                                   QStringLiteral("a;b|c&d"),  QString()};
    ChildRequest request;
    request.program = QStringLiteral("printf");
    request.arguments = QStringList{QStringLiteral("[%s]\\n")} + arguments;
    request.stdoutFile = folder.file(QStringLiteral("out.tmp"));
    RunState state;
    const ChildResult result = run(request, state);
    ASSERT_TRUE(result.started) << result.errorText.toStdString();
    EXPECT_EQ(result.exitCode, 0);

    QByteArray expected;
    for (const QString& argument : arguments)
        expected += "[" + argument.toUtf8() + "]\n";
    EXPECT_EQ(readAll(request.stdoutFile), expected);
}

TEST(ChildProcess, AProgramThatCannotStartReportsTheSystemText)
{
    RunState state;
    ChildRequest request;
    request.program = QStringLiteral("/nonexistent/folder/program");
    const ChildResult result = run(request, state);
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.errorText.isEmpty());
    EXPECT_EQ(state.lastProcessId, 0) << "no child was waited for";
}

// The pid is published while the child runs and reset to -1 after the wait; the exit code is
// reported for whoever wants it.
TEST(ChildProcess, PublishesThePidWhileWaitingAndResetsItAfter)
{
    RunState state;
    ChildRequest request;
    request.program = QStringLiteral("sh");
    request.arguments = {QStringLiteral("-c"), QStringLiteral("sleep 0.3; exit 7")};
    std::vector<qint64> seen;
    const ChildResult result = run(request, state, [&] {
        seen.push_back(state.lastProcessId);
        EXPECT_TRUE(test::processExists(state.lastProcessId));
    });
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_FALSE(result.killed);
    ASSERT_FALSE(seen.empty()) << "the wait pumps while the child runs";
    EXPECT_GT(seen.front(), 0);
    EXPECT_EQ(state.lastProcessId, -1);
    EXPECT_FALSE(test::processExists(seen.front())) << "the child is reaped, no zombie is left";
}

TEST(ChildProcess, FeedsStandardInputAndClosesIt)
{
    test::TempProgramFolder folder;
    // Bigger than a socket buffer, so feeding has to go on while the child reads.
    QByteArray input;
    for (int i = 0; i < 200000; ++i)
        input += QByteArray::number(i) + '\n';
    ChildRequest request;
    request.program = QStringLiteral("cat");
    request.standardInput = input;
    request.stdoutFile = folder.file(QStringLiteral("cat.tmp"));
    RunState state;
    ASSERT_TRUE(run(request, state).started);
    EXPECT_EQ(readAll(request.stdoutFile), input);

    // Without bytes the child reads an empty input and does not wait for a terminal.
    request.standardInput.clear();
    ASSERT_TRUE(run(request, state).started);
    EXPECT_EQ(readAll(request.stdoutFile), QByteArray());
}

TEST(ChildProcess, WorkingFolderAndErrorStreamRedirection)
{
    test::TempProgramFolder folder;
    RunState state;
    ChildRequest request;
    request.program = QStringLiteral("pwd");
    request.workingDirectory = folder.path();
    request.stdoutFile = folder.file(QStringLiteral("pwd.tmp"));
    ASSERT_TRUE(run(request, state).started);
    EXPECT_EQ(readAll(request.stdoutFile).trimmed(), QFile::encodeName(folder.path()));

    request.program = QStringLiteral("ls");
    request.arguments = {QStringLiteral("/nonexistent-ombrix-path")};
    request.stdoutFile = folder.file(QStringLiteral("ls.tmp"));
    request.stderrToStdoutFile = false;
    ASSERT_TRUE(run(request, state).started);
    EXPECT_TRUE(readAll(request.stdoutFile).isEmpty());
    request.stderrToStdoutFile = true;
    const ChildResult result = run(request, state);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(readAll(request.stdoutFile).contains("nonexistent-ombrix-path"));
}

// STOP pressed while a child runs: KillProcessId from inside the pump ends the child and
// everything it started (its process group) at once, and the wait returns.
TEST(ChildProcess, KillFromThePumpEndsTheWholeProcessGroup)
{
    RunState state;
    ChildRequest request;
    request.program = QStringLiteral("sh");
    request.arguments = {QStringLiteral("-c"), QStringLiteral("sleep 1000 & sleep 1000; wait")};
    qint64 group = 0;
    int pumps = 0;
    const ChildResult result = run(request, state, [&] {
        ++pumps;
        group = state.lastProcessId;
        // Kill once the shell has started its background child (or give up after a while so a
        // broken start cannot hang the test).
        if (test::liveProcessesInGroup(group).size() >= 3 || pumps > 200) {
            state.stopRequested = true;
            KillProcessId(state.lastProcessId);
        }
    });
    ASSERT_TRUE(result.started);
    EXPECT_TRUE(result.killed);
    EXPECT_LE(pumps, 200) << "the shell's two children were not seen within 200 pumps (about 10 s)";
    EXPECT_EQ(state.lastProcessId, -1);
    ASSERT_GT(group, 0);
    EXPECT_TRUE(test::groupEnds(group)) << "a process of the killed group was still alive 5 s later";
}

// Ids that name no process (after a wait: -1; before any: 0; one that has ended) do nothing.
TEST(ChildProcess, KillingAnIdOfNoProcessDoesNothing)
{
    RunState state;
    ChildRequest request;
    request.program = QStringLiteral("true");
    ASSERT_TRUE(run(request, state).started);
    for (qint64 id : {qint64(-1), qint64(0), qint64(1) << 40})
        KillProcessId(id);

    // A live bystander started by us survives kills of ids that are not its own.
    ChildRequest sleeper;
    sleeper.program = QStringLiteral("sleep");
    sleeper.arguments = {QStringLiteral("1000")};
    ChildProcess bystander(sleeper);
    ASSERT_TRUE(bystander.start());
    KillProcessId(-1);
    KillProcessId(0);
    EXPECT_FALSE(bystander.waitFor(100)) << "the bystander ended after kills of ids not its own";
    EXPECT_TRUE(bystander.running());
}

// A child object that goes away while its program still runs ends the program and reaps it.
TEST(ChildProcess, DestroyingARunningChildLeavesNothingBehind)
{
    qint64 pid = 0;
    {
        ChildRequest request;
        request.program = QStringLiteral("sh");
        request.arguments = {QStringLiteral("-c"), QStringLiteral("sleep 1000 & sleep 1000")};
        ChildProcess child(request);
        ASSERT_TRUE(child.start());
        pid = child.processId();
        EXPECT_FALSE(child.waitFor(100)) << "the long child ended by itself";
    }
    EXPECT_FALSE(test::processExists(pid)) << "the destroyed child object did not reap its program";
    EXPECT_TRUE(test::groupEnds(pid)) << "a process of the child's group was still alive 5 s later";
}

TEST(ChildProcess, AChildDiesWithTheProgramThatStartedIt)
{
    // A stand-in for ombrix being killed with SIGKILL in the middle of an archiver run: a forked
    // copy of this test starts a long child, reports its pid and is then killed.
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        ::close(report[0]);
        ChildRequest request;
        request.program = QStringLiteral("sleep");
        request.arguments = {QStringLiteral("60")};
        ChildProcess child(request);
        qint64 pid = child.start() ? child.processId() : -1;
        ssize_t written = ::write(report[1], &pid, sizeof pid);
        (void)written;
        ::pause();
        ::_exit(0);
    }
    ::close(report[1]);
    qint64 childPid = 0;
    ASSERT_EQ(::read(report[0], &childPid, sizeof childPid), ssize_t(sizeof childPid));
    ::close(report[0]);
    ASSERT_GT(childPid, 0);
    ASSERT_FALSE(test::liveProcessesInGroup(childPid).empty());

    ::kill(parent, SIGKILL);
    int status = 0;
    ::waitpid(parent, &status, 0);
    EXPECT_TRUE(test::groupEnds(childPid)) << "the child outlived the killed program by more than 5 s";
}
