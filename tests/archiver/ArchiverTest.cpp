#include "archive/ArchiveChecks.h"
#include "archive/ArchiverRunner.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/archiver/ArchiverOutput.h"
#include "platform/ChildProcess.h"
#include "process/ProcessTable.h"
#include "support/ArchiverWrapper.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace ombrix;

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(12345);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// A program folder with an archiver runner whose pump runs whatever the test puts in m_onPump.
class ArchiverTest : public ::testing::Test
{
  protected:
    ArchiverTest() : m_runner(m_state, [this] { onPump(); }) {}

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

    // Line 1: the archive of source in the destination folder, as archivovat makes it.
    QString archive(const QString& source, const QString& password,
                    const QString& level = QStringLiteral("1"))
    {
        const QString destination = m_folder.file(QStringLiteral("set"));
        QDir().mkpath(destination);
        const QString archivePath =
            destination + QLatin1Char('/') + QFileInfo(source).fileName() + QStringLiteral(".7z");
        EXPECT_TRUE(
            m_runner.run(ArchiverCommands::addFile(archivePath, source, level, m_folder.path(), password)));
        return archivePath;
    }

    // Lines 4/5: extract into a fresh folder; returns the content of the extracted file, or a
    // null array when the file is not there.
    QByteArray extract(const QString& archivePath, const QString& name, const QString& password)
    {
        const QString target = m_folder.file(QStringLiteral("restored"));
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        EXPECT_TRUE(m_runner.run(ArchiverCommands::extractAll(archivePath, target, password)));
        QFile f(target + QLatin1Char('/') + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList output(const ArchiverCommand& command)
    {
        const ArchiverRunner::Output result = m_runner.runForOutput(command);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(QFileInfo::exists(m_folder.file(command.outputFile))) << "the output file is deleted";
        return result.lines;
    }

    test::TempProgramFolder m_folder;
    RunState m_state;
    ArchiverRunner m_runner;
    std::function<void()> m_onPump;
    int m_pumps = 0;
};

const QStringList hostileNames = {
    QStringLiteral("plain.txt"),
    QStringLiteral("with space.txt"),
    QStringLiteral("quo\"te's.txt"),
    QStringLiteral("-leading dash.txt"),
    QStringLiteral("Žluťoučký kůň úpěl.txt"),
    QStringLiteral("star*and?.txt"),
    QStringLiteral("semi;amp&dollar$HOME.txt"),
    QString(QStringLiteral("long")).repeated(58) + QStringLiteral(".txt"), // 236 bytes + ".7z"
    QStringLiteral("noextension"),
};

const QStringList passwords = {
    QString(),
    QStringLiteral("secret"),
    QStringLiteral("with two spaces"),
    QStringLiteral("q\"uo'te \"\" -p x"),
    QStringLiteral("heslo žluť €"),
};

} // namespace

// Every hostile file name with every kind of password: archived, tested and extracted back.
TEST_F(ArchiverTest, RoundTripOfHostileNamesAndPasswords)
{
    for (qsizetype i = 0; i < hostileNames.size(); ++i) {
        for (const QString& password : {passwords.at(i % passwords.size()), QString()}) {
            const QString& name = hostileNames.at(i);
            SCOPED_TRACE(name.toStdString() + " / password: " + password.toStdString());
            const QByteArray content = "content of " + name.toUtf8();
            const QString source = makeFile(name, content);
            const QString archivePath = archive(source, password);
            ASSERT_TRUE(QFileInfo(archivePath).isFile());
            EXPECT_TRUE(testZip(m_runner, archivePath, password));
            EXPECT_EQ(extract(archivePath, name, password), content);
            QFile::remove(archivePath);
        }
    }
}

// Passwords reach the archiver through standard input, yet mean the same as on a command line:
// an archive made with "-p<password>" by hand opens with our runner, and one of ours opens
// with "-p<password>" by hand.
TEST_F(ArchiverTest, StandardInputPasswordEqualsCommandLinePassword)
{
    const QString password = passwords.last();
    const QString source = makeFile(QStringLiteral("doc.txt"), "document");
    const QString byHand = m_folder.file(QStringLiteral("byhand.7z"));
    platform::ChildRequest request;
    request.program = QStringLiteral("7za");
    request.arguments = {QStringLiteral("a"), QStringLiteral("-p") + password, byHand, source};
    request.environment = ArchiverRunner::environment();
    ASSERT_TRUE(platform::ShellExecAndWait(request, m_state, {}).started);
    EXPECT_EQ(extract(byHand, QStringLiteral("doc.txt"), password), "document");
    EXPECT_TRUE(extract(byHand, QStringLiteral("doc.txt"), QStringLiteral("wrong")).isNull());

    const QString ours = archive(source, password);
    request.arguments = {QStringLiteral("t"), QStringLiteral("-p") + password, ours};
    request.stdoutFile = m_folder.file(QStringLiteral("t.tmp"));
    ASSERT_TRUE(platform::ShellExecAndWait(request, m_state, {}).started);
    EXPECT_TRUE(m_folder.read(QStringLiteral("t.tmp")).contains("Everything is Ok"));
}

TEST_F(ArchiverTest, WrongOrMissingPasswordExtractsNothingAndDoesNotHang)
{
    const QString source = makeFile(QStringLiteral("doc.txt"), "document");
    const QString archivePath = archive(source, QStringLiteral("right one"));
    EXPECT_TRUE(extract(archivePath, QStringLiteral("doc.txt"), QStringLiteral("wrong")).isNull());
    EXPECT_TRUE(extract(archivePath, QStringLiteral("doc.txt"), QString()).isNull());
    EXPECT_EQ(extract(archivePath, QStringLiteral("doc.txt"), QStringLiteral("right one")), "document");
}

// The password is never on a command line while the archiver runs: /proc/<pid>/cmdline can be
// read by every user of the machine. The archiver call is held by the wrapper until the test has
// looked at it, so the check does not depend on how long the archiver takes.
TEST_F(ArchiverTest, PasswordNeverAppearsInTheCommandLine)
{
    const QString password = QStringLiteral("Sup3r secret pass");
    const QByteArray content = randomBytes(64 * 1024);
    const QString source = makeFile(QStringLiteral("big.bin"), content);
    test::ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/big.bin")}, 1);
    QString seen;
    qint64 seenPid = 0;
    m_onPump = [&] {
        if (!seen.isEmpty() || !wrapper.waitForPause(0))
            return;
        seenPid = m_state.lastProcessId;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(seenPid));
        if (cmdline.open(QIODevice::ReadOnly))
            seen = QString::fromUtf8(cmdline.readAll().replace('\0', ' '));
        wrapper.release();
    };
    const QString archivePath = archive(source, password, QStringLiteral("5"));
    m_onPump = nullptr;
    ASSERT_FALSE(seen.isEmpty()) << "the held archiver call was never seen from the wait's pump";
    EXPECT_EQ(seenPid, wrapper.pausedPid()) << "lastProcessId is not the archiver that was started";
    EXPECT_TRUE(seen.contains(QStringLiteral("big.bin"))) << seen.toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("Sup3r"))) << seen.toStdString();
    for (const QString& argument : wrapper.pausedArguments())
        EXPECT_FALSE(argument.contains(QStringLiteral("Sup3r"))) << argument.toStdString();
    wrapper.clear();
    // The password reached the archiver all the same: the archive opens with it.
    EXPECT_TRUE(testZip(m_runner, archivePath, password));
    EXPECT_EQ(extract(archivePath, QStringLiteral("big.bin"), password), content);
}

// STOP during an archiver run: the kill from the pump ends the archiver's whole process group,
// the wait returns, lastProcessId is -1, and no finished archive appears. The archiver call is
// held by the wrapper and never let go, so the run can only end through the kill.
TEST_F(ArchiverTest, StopDuringARunKillsTheArchiverAndEndsTheWait)
{
    const QString source = makeFile(QStringLiteral("held.bin"), randomBytes(64 * 1024));
    test::ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/held.bin")}, 1);
    qint64 group = 0;
    m_onPump = [&] {
        if (group != 0 || !wrapper.waitForPause(0))
            return;
        group = m_state.lastProcessId;
        m_state.stopRequested = true;
        platform::KillProcessId(m_state.lastProcessId);
    };
    const QString archivePath = archive(source, QStringLiteral("pw"), QStringLiteral("5"));
    m_onPump = nullptr;
    ASSERT_GT(group, 0) << "the held archiver call was never seen from the wait's pump";
    EXPECT_EQ(group, wrapper.pausedPid()) << "lastProcessId is not the archiver that was started";
    EXPECT_EQ(m_state.lastProcessId, -1);
    EXPECT_FALSE(test::processExists(group)) << "the killed archiver is reaped by the wait";
    EXPECT_TRUE(test::groupEnds(group)) << "a process of the archiver's group outlived the kill";
    wrapper.clear();
    m_state.stopRequested = false;
    EXPECT_FALSE(QFileInfo::exists(archivePath)) << "a killed archiver left an archive";
    EXPECT_FALSE(testZip(m_runner, archivePath, QStringLiteral("pw")));
}

// The judging rules applied to the real archiver's output for the cases they have to tell apart.
TEST_F(ArchiverTest, JudgingRulesOnRealOutput)
{
    const QString plain = archive(makeFile(QStringLiteral("archivlist.csv"), "catalog line\r\n"), QString());
    QFile::rename(plain, m_folder.file(QStringLiteral("plain.7z")));
    const QString plainArchive = m_folder.file(QStringLiteral("plain.7z"));
    const QString encrypted =
        archive(makeFile(QStringLiteral("archivlist.csv"), "catalog line\r\n"), QStringLiteral("pass word"));

    // An archive with encrypted names, as another tool could have made it.
    const QString namesEncrypted = m_folder.file(QStringLiteral("names.7z"));
    {
        ArchiverCommand command =
            ArchiverCommands::addFile(namesEncrypted, m_folder.file(QStringLiteral("src/archivlist.csv")),
                                      QStringLiteral("1"), m_folder.path(), QStringLiteral("pass word"));
        command.arguments.insert(1, QStringLiteral("-mhe=on"));
        ASSERT_TRUE(m_runner.run(command));
    }

    // A truncated copy of the plain archive.
    const QString corrupt = m_folder.file(QStringLiteral("corrupt.7z"));
    {
        const QByteArray bytes = m_folder.read(QStringLiteral("plain.7z"));
        m_folder.write(QStringLiteral("corrupt.7z"), bytes.left(bytes.size() / 2));
    }
    const QString missing = m_folder.file(QStringLiteral("missing.7z"));

    struct Case
    {
        const char* what;
        QString archive;
        QString password;
        bool testPasses;
        bool encrypted;
        bool wrongPassword;
    };
    const QString right = QStringLiteral("pass word");
    const QString wrong = QStringLiteral("pass wor");
    const Case cases[] = {
        {"plain, no password", plainArchive, QString(), true, false, false},
        {"plain, a password set", plainArchive, right, true, false, false},
        {"encrypted, right password", encrypted, right, true, true, false},
        {"encrypted, wrong password", encrypted, wrong, true, true, true},
        {"encrypted, no password", encrypted, QString(), true, true, true},
        {"names encrypted, right password", namesEncrypted, right, true, true, false},
        {"names encrypted, wrong password", namesEncrypted, wrong, false, true, true},
        {"names encrypted, no password", namesEncrypted, QString(), false, true, true},
        {"truncated", corrupt, right, false, false, false},
        {"missing", missing, right, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(testZip(m_runner, c.archive, c.password), c.testPasses);
        EXPECT_EQ(ArchiverOutput::isEncrypted(output(ArchiverCommands::catalogListing(c.archive))),
                  c.encrypted);
        EXPECT_EQ(
            ArchiverOutput::isWrongPassword(output(ArchiverCommands::passwordTest(c.archive, c.password))),
            c.wrongPassword);
    }
}

// Rule 8: a clean run leaves a log of 94 or 91 bytes; any other size is not clean.
TEST_F(ArchiverTest, RunLogSizeRule)
{
    for (const int size : {94, 91, 95, 0}) {
        SCOPED_TRACE(size);
        const QString archivePath =
            archive(makeFile(QStringLiteral("log.txt"), QByteArray(size, 'x')), QString());
        EXPECT_EQ(ArchiverOutput::isCleanRunLog(output(ArchiverCommands::runLogListing(archivePath))),
                  size == 94 || size == 91);
        QFile::remove(archivePath);
    }
}

// testZip accepts a listing of exactly one file.
TEST(ArchiverOutput, OneFileSummaryOnly)
{
    const QString summary = QStringLiteral("2026-12-10 01:53:19                  6           10  %1");
    EXPECT_TRUE(ArchiverOutput::listsOneFile({QStringLiteral("x"), summary.arg(QStringLiteral("1 files"))}));
    EXPECT_FALSE(ArchiverOutput::listsOneFile({summary.arg(QStringLiteral("11 files"))}));
    EXPECT_FALSE(ArchiverOutput::listsOneFile({summary.arg(QStringLiteral("21 files"))}));
    EXPECT_FALSE(
        ArchiverOutput::listsOneFile({summary.arg(QStringLiteral("1 files")), QStringLiteral("Errors: 1")}));
    EXPECT_FALSE(ArchiverOutput::listsOneFile({}));
}

// An archiver that cannot be started is shown as an error message with the system's text, and
// the check it was for fails.
TEST(ArchiverRunner, StartFailureIsShownAndTheTestFails)
{
    test::TempProgramFolder folder;
    folder.write(QStringLiteral("a.7z"), "not looked at");
    const QByteArray previous = qgetenv("OMBRIX_7ZA");
    qputenv("OMBRIX_7ZA", "/nonexistent/7za");
    test::RecordingHost host;
    RunState state;
    ArchiverRunner runner(state, host);
    const bool passed = testZip(runner, folder.file(QStringLiteral("a.7z")), QString());
    if (previous.isEmpty())
        qunsetenv("OMBRIX_7ZA");
    else
        qputenv("OMBRIX_7ZA", previous);
    EXPECT_FALSE(passed);
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_EQ(host.questions().front().kind, AskKind::Error);
    EXPECT_FALSE(host.questions().front().text.isEmpty());
}

TEST(ArchiveChecks, TestFileChecksExistenceAndSize)
{
    test::TempProgramFolder folder;
    folder.write(QStringLiteral("f.bin"), QByteArray(1000, 'x'));
    QDir(folder.path()).mkdir(QStringLiteral("dir"));
    const QString file = folder.file(QStringLiteral("f.bin"));
    EXPECT_TRUE(TestFile(file, 0));
    EXPECT_TRUE(TestFile(file, -5));
    EXPECT_TRUE(TestFile(file, 1000));
    EXPECT_FALSE(TestFile(file, 999));
    EXPECT_FALSE(TestFile(file, 1000 + (qint64(1) << 32))) << "the whole size counts, not its low 32 bits";
    EXPECT_FALSE(TestFile(folder.file(QStringLiteral("missing")), 0));
    EXPECT_FALSE(TestFile(folder.file(QStringLiteral("dir")), 0));
    EXPECT_FALSE(TestFile(QString(), 0));
}
