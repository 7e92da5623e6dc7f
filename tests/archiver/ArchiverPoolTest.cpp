#include "archive/ArchiverPool.h"

#include "archive/ArchiveChecks.h"
#include "archive/ArchiverRunner.h"
#include "archive/SevenZipHeader.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/archiver/ArchiverOutput.h"
#include "platform/ChildProcess.h"
#include "process/ProcessTable.h"
#include "support/ArchiverWrapper.h"
#include "support/TempProgramFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <vector>

using namespace ombrix;

namespace {

constexpr int generousMs = 60000;

// Waits for a condition the archiver wrapper brings about (a call has paused), without a
// time limit a slow machine could miss.
bool waitUntil(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(generousMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

// Real 7za behind the test wrapper (so a test holds chosen calls), a program folder, and a pool
// whose pump counts and runs whatever the test puts in m_onPump.
class ArchiverPoolTest : public ::testing::Test
{
  protected:
    ArchiverPoolTest() : m_pool(m_state, [this] { onPump(); }), m_runner(m_state, ArchiverRunner::Pump())
    {
        m_wrapper.applyToThisProcess();
    }

    void SetUp() override { ASSERT_TRUE(m_wrapper.isValid()); }

    void onPump()
    {
        ++m_pumps;
        if (m_onPump)
            m_onPump();
    }

    QString makeFile(const QString& name, const QByteArray& content)
    {
        m_folder.write(QStringLiteral("src/") + name, content);
        return m_folder.file(QStringLiteral("src/") + name);
    }

    QString archivePathFor(const QString& source) const
    {
        QDir().mkpath(m_folder.file(QStringLiteral("set")));
        return m_folder.file(QStringLiteral("set/") + QFileInfo(source).fileName() + QStringLiteral(".7z"));
    }

    ArchiverCommand pack(const QString& source, const QString& password = QString()) const
    {
        return ArchiverCommands::addFile(archivePathFor(source), source, QStringLiteral("1"), m_folder.path(),
                                         password);
    }

    // Starts a command whose archiver call the wrapper holds as call number n, and waits until
    // it is held, so calls are numbered in the order the test starts them.
    ArchiverPool::Ticket startHeld(const ArchiverCommand& command, int n, qint64* pid = nullptr)
    {
        const ArchiverPool::Ticket ticket = m_pool.start(command);
        EXPECT_TRUE(m_pool.outcome(ticket).errorText.isEmpty());
        if (pid)
            *pid = m_state.lastProcessId;
        EXPECT_TRUE(waitUntil([&] { return m_wrapper.hasPaused(n); }))
            << "call " << n << " was not held; the wrapper's folder: " << m_wrapper.describe().toStdString()
            << "; running children: " << m_pool.runningCount();
        return ticket;
    }

    QStringList leftOutputFiles() const
    {
        return QDir(m_folder.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files);
    }

    test::TempProgramFolder m_folder;
    test::ArchiverWrapper m_wrapper;
    RunState m_state;
    ArchiverPool m_pool;
    ArchiverRunner m_runner;
    std::function<void()> m_onPump;
    int m_pumps = 0;
};

} // namespace

// Children run side by side and each is seen when it ends, in whatever order they end; the
// window is pumped meanwhile, and every archive is whole.
TEST_F(ArchiverPoolTest, ChildrenRunTogetherAndEndInAnyOrder)
{
    const QString held1 = makeFile(QStringLiteral("held one.txt"), "first file");
    const QString held2 = makeFile(QStringLiteral("held two.txt"), "second file, encrypted");
    const QString unheld = makeFile(QStringLiteral("free.txt"), "third file");
    m_wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/held*")}, QList<int>{1, 2});

    qint64 pid1 = 0;
    qint64 pid2 = 0;
    const ArchiverPool::Ticket t1 = startHeld(pack(held1), 1, &pid1);
    const ArchiverPool::Ticket t2 = startHeld(pack(held2, QStringLiteral("heslo žluť")), 2, &pid2);
    EXPECT_EQ(m_state.lastProcessId, pid2) << "STOP's button kills the newest child at once";
    const ArchiverPool::Ticket t3 = m_pool.start(pack(unheld));
    EXPECT_EQ(m_pool.runningCount(), 3);

    m_pool.waitFor(t3);
    EXPECT_TRUE(m_pool.finished(t3));
    EXPECT_FALSE(m_pool.finished(t1));
    EXPECT_FALSE(m_pool.finished(t2));
    EXPECT_EQ(m_pool.runningCount(), 2);
    EXPECT_GT(m_pumps, 0);
    const ArchiverPool::Outcome third = m_pool.outcome(t3);
    EXPECT_TRUE(third.started);
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_FALSE(third.killed);
    EXPECT_TRUE(SevenZipHeader::holdsOneFile(archivePathFor(unheld), QStringLiteral("free.txt"), 10));

    m_wrapper.release(2);
    m_pool.waitFor(t2);
    EXPECT_FALSE(m_pool.finished(t1));
    EXPECT_EQ(m_state.lastProcessId, pid1) << "the one still running";

    m_wrapper.release(1);
    m_pool.waitFor(t1);
    EXPECT_EQ(m_pool.runningCount(), 0);
    EXPECT_EQ(m_state.lastProcessId, -1);
    for (const ArchiverPool::Ticket ticket : {t1, t2, t3}) {
        const ArchiverPool::Outcome outcome = m_pool.take(ticket);
        EXPECT_TRUE(outcome.started);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_TRUE(m_pool.finished(ticket)) << "a taken ticket is forgotten";
    }
    EXPECT_TRUE(SevenZipHeader::holdsOneFile(archivePathFor(held1), QStringLiteral("held one.txt"), 10));
    EXPECT_TRUE(testZip(m_runner, archivePathFor(held2), QStringLiteral("heslo žluť")))
        << "the password reached the held child on its standard input";
    EXPECT_TRUE(testZip(m_runner, archivePathFor(unheld), QString()));
}

// STOP and skip end every running child - the one the button kills and all the others - and
// nothing they started lives on. Each of the two gets a fresh wrapper, pool and folder.
class ArchiverPoolEndTest : public ArchiverPoolTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(ArchiverPoolEndTest, KillsEveryRunningChild)
{
    const bool skip = GetParam();
    m_wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*")}, QList<int>{1, 2, 3});
    std::vector<qint64> pids;
    std::vector<ArchiverPool::Ticket> tickets;
    for (int n = 1; n <= 3; ++n) {
        qint64 pid = 0;
        const QString source = makeFile(QStringLiteral("file %1.txt").arg(n), "content");
        tickets.push_back(startHeld(pack(source), n, &pid));
        pids.push_back(pid);
    }
    ASSERT_EQ(m_pool.runningCount(), 3);

    // What the button does: set the flag and kill the child it knows of.
    m_onPump = [this, skip] {
        if (skip)
            m_state.skipRequested = true;
        else
            m_state.stopRequested = true;
        platform::KillProcessId(m_state.lastProcessId);
    };
    EXPECT_EQ(m_pool.poll(), 0);
    EXPECT_EQ(m_state.lastProcessId, -1);
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        EXPECT_TRUE(m_pool.finished(tickets[i]));
        const ArchiverPool::Outcome outcome = m_pool.take(tickets[i]);
        EXPECT_TRUE(outcome.started);
        EXPECT_TRUE(outcome.killed);
        EXPECT_EQ(outcome.exitCode, -1);
        EXPECT_TRUE(test::groupEnds(pids[i])) << "child " << i + 1 << " left something running";
    }
    for (int n = 1; n <= 3; ++n) {
        const QString source = m_folder.file(QStringLiteral("src/file %1.txt").arg(n));
        EXPECT_FALSE(QFileInfo::exists(archivePathFor(source))) << "7za never got to write it";
    }
}

INSTANTIATE_TEST_SUITE_P(StopOrSkip, ArchiverPoolEndTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Skip" : "Stop");
                         });

// A pool that goes away (the run ends, or fails on its way out) takes its children with it.
TEST_F(ArchiverPoolTest, DestroyingThePoolKillsWhatStillRuns)
{
    m_wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*")}, QList<int>{1, 2});
    qint64 pid1 = 0;
    qint64 pid2 = 0;
    {
        ArchiverPool pool(m_state, ArchiverPool::Pump());
        pool.start(pack(makeFile(QStringLiteral("one.txt"), "1")));
        pid1 = m_state.lastProcessId;
        ASSERT_TRUE(waitUntil([&] { return m_wrapper.hasPaused(1); }));
        pool.start(pack(makeFile(QStringLiteral("two.txt"), "2")));
        pid2 = m_state.lastProcessId;
        ASSERT_TRUE(waitUntil([&] { return m_wrapper.hasPaused(2); }));
        ASSERT_GT(pid1, 0);
        ASSERT_GT(pid2, 0);
        ASSERT_TRUE(test::processExists(pid1));
    }
    EXPECT_TRUE(test::groupEnds(pid1));
    EXPECT_TRUE(test::groupEnds(pid2));
    EXPECT_FALSE(test::processExists(pid1)) << "reaped, not left a zombie";
    EXPECT_FALSE(test::processExists(pid2)) << "reaped, not left a zombie";
}

// Listings that run at the same time each get their own output file, read into their own
// outcome and deleted; none sees another's lines.
TEST_F(ArchiverPoolTest, OutputFilesOfChildrenRunningTogetherAreKeptApart)
{
    const QString a = makeFile(QStringLiteral("a.txt"), "aaaa");
    const QString b = makeFile(QStringLiteral("b.txt"), "bb");
    ASSERT_TRUE(m_runner.run(pack(a)));
    ASSERT_TRUE(m_runner.run(pack(b)));
    const QString two = m_folder.file(QStringLiteral("set/two.7z"));
    ArchiverCommand both;
    both.arguments = {QStringLiteral("a"), QStringLiteral("-mx1"), QStringLiteral("-spd")};
    both.arguments << QStringLiteral("--") << two << a << b;
    ASSERT_TRUE(m_runner.run(both));

    m_wrapper.pauseAt({QStringLiteral("l"), QStringLiteral("*.7z")}, QList<int>{1, 2, 3});
    const ArchiverPool::Ticket ta = startHeld(ArchiverCommands::listForTest(archivePathFor(a), QString()), 1);
    const ArchiverPool::Ticket tTwo = startHeld(ArchiverCommands::listForTest(two, QString()), 2);
    const ArchiverPool::Ticket tb = startHeld(ArchiverCommands::listForTest(archivePathFor(b), QString()), 3);
    m_wrapper.release();
    m_pool.waitForAll();

    const ArchiverPool::Outcome listA = m_pool.take(ta);
    const ArchiverPool::Outcome listTwo = m_pool.take(tTwo);
    const ArchiverPool::Outcome listB = m_pool.take(tb);
    ASSERT_TRUE(listA.outputExists);
    ASSERT_TRUE(listTwo.outputExists);
    ASSERT_TRUE(listB.outputExists);
    EXPECT_TRUE(ArchiverOutput::listsOneFile(listA.lines));
    EXPECT_TRUE(ArchiverOutput::listsOneFile(listB.lines));
    EXPECT_FALSE(ArchiverOutput::listsOneFile(listTwo.lines))
        << listTwo.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(listA.lines.join(QLatin1Char('\n')).contains(QStringLiteral("a.txt")));
    EXPECT_FALSE(listA.lines.join(QLatin1Char('\n')).contains(QStringLiteral("b.txt")));
    EXPECT_TRUE(listB.lines.join(QLatin1Char('\n')).contains(QStringLiteral("b.txt")));
    EXPECT_FALSE(listB.lines.join(QLatin1Char('\n')).contains(QStringLiteral("a.txt")));
    EXPECT_TRUE(leftOutputFiles().isEmpty()) << leftOutputFiles().join(QLatin1Char(' ')).toStdString();
}

// An archiver that cannot be started is a finished ticket with the system's reason; the pool
// goes on with the others.
TEST_F(ArchiverPoolTest, AnArchiverThatCannotStartIsAFinishedTicketWithItsReason)
{
    const QString source = makeFile(QStringLiteral("x.txt"), "x");
    qputenv("OMBRIX_7ZA", m_folder.file(QStringLiteral("no such archiver")).toLocal8Bit());
    const ArchiverPool::Ticket failed = m_pool.start(pack(source));
    m_wrapper.clear(); // the wrapper (and the real 7za behind it) again
    EXPECT_TRUE(m_pool.finished(failed));
    const ArchiverPool::Outcome outcome = m_pool.outcome(failed);
    EXPECT_FALSE(outcome.started);
    EXPECT_FALSE(outcome.errorText.isEmpty());
    EXPECT_EQ(outcome.exitCode, -1);
    EXPECT_EQ(m_pool.runningCount(), 0);
    EXPECT_TRUE(leftOutputFiles().isEmpty());

    const ArchiverPool::Ticket works = m_pool.start(pack(source));
    EXPECT_NE(works, failed);
    m_pool.waitFor(works);
    EXPECT_EQ(m_pool.outcome(works).exitCode, 0);
    EXPECT_TRUE(SevenZipHeader::holdsOneFile(archivePathFor(source), QStringLiteral("x.txt"), 1));
}
