#include "core/config/ConfigKeys.h"
#include "core/config/Scrambling.h"
#include "E2eTest.h"
#include "ProcessScan.h"
#include "SetRestorer.h"
#include "SourceTree.h"
#include "support/ArchiverWrapper.h"
#include "support/CrashChecks.h"
#include "support/FtpServer.h"

#include <csignal>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

const QString remoteFolder = QStringLiteral("zaloha");

QString config(const E2eSandbox& sandbox, const ConfigKey& key)
{
    return sandbox.configValue(key.section, key.name);
}

// A change a while before the run that reads it, with the size kept.
void change(const QString& path, int version)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_FALSE(bytes.isEmpty()) << path.toStdString();
    bytes[0] = char('A' + version);
    file.seek(0);
    file.write(bytes);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600 + version * 10),
                                 QFileDevice::FileModificationTime));
}

// The real `ombrix -start` backing up to a pyftpdlib server on 127.0.0.1, whose files lie in a
// folder of the test, so the sets can be checked and restored straight from the server's disk
// with nothing but a stock 7za.
class FtpRunTest : public E2eTest
{
  protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        if (!E2eSandbox::usesProgram())
            GTEST_SKIP() << "needs the real program";
        // Outside the sandbox: the server itself is no process of the program that may be left.
        ASSERT_TRUE(m_serverFolder.isValid());
        m_serverRoot = m_serverFolder.path();
        m_server = std::make_unique<FtpServer>(m_serverRoot);
        ASSERT_TRUE(m_server->start()) << m_server->errorText().toStdString();
        using namespace ConfigKeys;
        ASSERT_TRUE(sandbox.setConfigValue(SYSTEM.toString(), BACKUP_DESTINATION.name.toString(),
                                           DESTINATION_FTP.toString()));
        ASSERT_TRUE(sandbox.setConfigValue(SYSTEM.toString(), BACKUP_FTP_HOST.name.toString(),
                                           m_server->hostField()));
        ASSERT_TRUE(
            sandbox.setConfigValue(SYSTEM.toString(), BACKUP_FTP_USER.name.toString(), m_server->user()));
        ASSERT_TRUE(sandbox.setConfigValue(SYSTEM.toString(), BACKUP_FTP_PASS.name.toString(),
                                           sifruj(m_server->password())));
        ASSERT_TRUE(sandbox.setConfigValue(SYSTEM.toString(), BACKUP_FTP_DIR.name.toString(), remoteFolder));
        // The status texts the run prints, as the tests read them.
        ASSERT_TRUE(
            sandbox.setConfigValue(OPTIONS.toString(), LANGUAGE.name.toString(), QStringLiteral("CZ")));
    }

    // The remote folder as the server keeps it on its disk.
    QString serverDestination() const { return QDir(m_serverRoot).filePath(remoteFolder); }
    QStringList serverSets() const
    {
        return QDir(serverDestination()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
    }

    void expectServerRestoresTo(const QString& set, const QMap<QString, QByteArray>& expected) const
    {
        const SetRestorer::Result restored =
            SetRestorer(serverDestination(), {}, SetRestorer::Layout::Server).restore(set);
        ASSERT_TRUE(restored.catalogOk) << "the catalog of " << set.toStdString() << " cannot be read";
        EXPECT_TRUE(restored.failures.isEmpty()) << restored.failures.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(restored.digests.keys(), expected.keys()) << set.toStdString();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(restored.digests.value(it.key()), it.value())
                << "content differs: " << it.key().toStdString();
    }

    // Work files of a run: *.tmp in the program folder, and anything the server holds under a
    // scratch or temporary name.
    void expectNothingLeftOnTheServer() const
    {
        const QStringList tmp = CrashChecks::programTmpFiles(sandbox.programFolder()) +
                                CrashChecks::tmpFiles({m_serverRoot}) +
                                CrashChecks::scratchFiles(m_serverRoot);
        EXPECT_TRUE(tmp.isEmpty()) << tmp.join(QLatin1Char('\n')).toStdString();
    }

    QTemporaryDir m_serverFolder;
    QString m_serverRoot;
    std::unique_ptr<FtpServer> m_server;
};

// Full, no-change and incremental runs to an FTP server; then a run killed with SIGKILL while it
// archives, continued by the next start to the same set. Every state restores from the server's
// own files under the encoded names; nothing of the killed run is left, and no uploader outlives
// the program.
TEST_F(FtpRunTest, FullIncrementalNoChangeAndAKilledRunContinued)
{
    const QStringList files = SourceTree::generate(sandbox.sourceRoot(), 11, 40);
    ASSERT_GE(files.size(), 30);
    const QMap<QString, QByteArray> first = SourceTree::digests(sandbox.sourceRoot());

    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(serverSets().size(), 1) << sandbox.programOutput().toStdString();
    const QString full = serverSets().first();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), full);
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    expectServerRestoresTo(full, first);
    // Every name below the set folder is the server-safe one; the set folder keeps its own.
    QDirIterator names(QDir(serverDestination()).filePath(full), QDir::Files, QDirIterator::Subdirectories);
    while (names.hasNext())
        EXPECT_FALSE(names.next().contains(QStringLiteral("/archivlist.csv.7z")))
            << "a side archive is not encoded";

    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    EXPECT_EQ(serverSets(), QStringList{full}) << "a run with nothing changed made a set";

    for (int i = 0; i < 3; ++i)
        change(files.at(i * 7), 1);
    const QMap<QString, QByteArray> second = SourceTree::digests(sandbox.sourceRoot());
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(serverSets().size(), 2);
    const QString incremental = serverSets().last();
    expectServerRestoresTo(incremental, second);
    expectServerRestoresTo(full, first);

    // Killed while the fourth changed file is archived.
    for (int i = 0; i < 8; ++i)
        change(files.at(i * 3 + 1), 2);
    const QMap<QString, QByteArray> third = SourceTree::digests(sandbox.sourceRoot());
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.pauseAt({QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")}, 4);
    std::unique_ptr<QProcess> program = sandbox.start(wrapper.environment());
    ASSERT_TRUE(wrapper.waitForPause(120000, [&] { return program->state() == QProcess::Running; }))
        << "the run ended before its fourth file\n"
        << sandbox.programOutput().toStdString();
    const QString killedSet = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    ::kill(pid_t(program->processId()), SIGKILL);
    ASSERT_TRUE(program->waitForFinished(10000));
    EXPECT_TRUE(waitUntilNoProcesses(3000))
        << ProcessScan::processesUsing({sandbox.root()}).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"));
    EXPECT_NE(killedSet, incremental);

    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), killedSet) << "the killed set was not continued";
    EXPECT_EQ(serverSets().size(), 3);
    expectServerRestoresTo(killedSet, third);
    expectNothingLeftOnTheServer();
}

// A server that is down at the start: the scheduled run ends by itself with the reason, and
// neither the chain keys nor the server change.
TEST_F(FtpRunTest, ServerDownAtTheStartEndsTheRunAndChangesNothing)
{
    SourceTree::generate(sandbox.sourceRoot(), 12, 10);
    m_server->stop();
    const QString doneBefore = config(sandbox, ConfigKeys::LAST_BACKUP_DONE);
    const QString lastBefore = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    std::unique_ptr<QProcess> program = sandbox.start();
    ASSERT_TRUE(program->waitForFinished(120000)) << "the run did not end by itself";
    EXPECT_NE(program->exitCode(), 0);
    EXPECT_TRUE(sandbox.programOutput().contains(
        QStringLiteral("FTP připojení není dostupné. Zálohování není možné.")))
        << sandbox.programOutput().toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), doneBefore);
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), lastBefore);
    EXPECT_FALSE(QFileInfo::exists(serverDestination()));
    // The folder BACKUP_DIR still names is no stand-in for the server.
    ASSERT_TRUE(QFileInfo(sandbox.destination()).isDir());
    EXPECT_TRUE(sandbox.sets().isEmpty()) << sandbox.sets().join(QLatin1Char(' ')).toStdString();
}

// The server stops in the middle of a run: the run ends interrupted, and once the server is back
// the next start continues the same set and completes it.
TEST_F(FtpRunTest, ServerStoppedDuringTheRunIsContinuedWhenItIsBack)
{
    SourceTree::generate(sandbox.sourceRoot(), 13, 30);
    const QMap<QString, QByteArray> expected = SourceTree::digests(sandbox.sourceRoot());
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.pauseAt({QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")}, 5);
    QMap<QString, QString> environment = wrapper.environment();
    // The recovery's pause before the reconnect, shortened.
    environment.insert(QStringLiteral("OMBRIX_PAUSE_PERCENT"), QStringLiteral("5"));
    std::unique_ptr<QProcess> program = sandbox.start(environment);
    ASSERT_TRUE(wrapper.waitForPause(120000, [&] { return program->state() == QProcess::Running; }))
        << sandbox.programOutput().toStdString();
    const QString set = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    m_server->stop();
    wrapper.release();
    ASSERT_TRUE(program->waitForFinished(180000)) << "the run did not end after losing its server";
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"))
        << "a run without its server completed";
    EXPECT_TRUE(sandbox.programOutput().contains(
        QStringLiteral("Cílový adresář není dostupný, zálohování je přerušeno")))
        << sandbox.programOutput().toStdString();

    ASSERT_TRUE(m_server->restart()) << m_server->errorText().toStdString();
    wrapper.clear();
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    // A file dropped while the server was going away comes with the next run.
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    const QString last = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    EXPECT_EQ(serverSets().first(), set);
    expectServerRestoresTo(last, expected);
    expectNothingLeftOnTheServer();
}

// While the program uploads, the account's password is on no process's command line and in no
// environment: the uploader gets it on its standard input.
TEST_F(FtpRunTest, ThePasswordIsOnNoCommandLineWhileUploading)
{
    SourceTree::writeFile(QDir(sandbox.sourceRoot()).filePath(QStringLiteral("big.bin")), 77, 400 * 1024);
    FtpServer::Options slow;
    slow.throttleBytesPerSecond = 64 * 1024;
    m_server->setOptions(slow);
    std::unique_ptr<QProcess> program = sandbox.start();
    const QByteArray password = m_server->password().toUtf8();
    bool sawUploader = false;
    QDeadlineTimer deadline(120000);
    while (program->state() == QProcess::Running && !deadline.hasExpired()) {
        for (const QString& pid :
             QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
            QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
            if (!commandLine.open(QIODevice::ReadOnly))
                continue;
            const QByteArray arguments = commandLine.readAll();
            const QByteArray variables =
                environment.open(QIODevice::ReadOnly) ? environment.readAll() : QByteArray();
            sawUploader = sawUploader || arguments.contains("ombrixftp");
            EXPECT_FALSE(arguments.contains(password))
                << "the password is on the command line of " << arguments.toStdString();
            EXPECT_FALSE(variables.contains(password))
                << "the password is in the environment of process " << pid.toStdString();
        }
        program->waitForFinished(20);
    }
    // waitForFinished() answers false for a process that has ended already: the state tells.
    program->waitForFinished(120000);
    ASSERT_EQ(program->state(), QProcess::NotRunning) << "the run did not end\n"
                                                      << sandbox.programOutput().toStdString();
    EXPECT_TRUE(sawUploader) << "no upload was watched while it ran";
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"))
        << sandbox.programOutput().toStdString() << sandbox.logText().toStdString();
}

} // namespace
} // namespace ombrix::test
