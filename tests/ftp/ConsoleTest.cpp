#include "core/app/WebSite.h"
#include "FtpFixture.h"
#include "platform/ChildProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace ombrix;
using namespace ombrix::test;
using namespace Qt::Literals::StringLiterals;

namespace {

struct ConsoleRun
{
    bool ended = false;
    int exitCode = -1;
    QByteArray output;
};

class ConsoleTest : public FtpFixture
{
  protected:
    ConsoleRun runConsole(const QStringList& arguments, const QByteArray& input = {},
                          const QStringList& environment = {})
    {
        platform::ChildRequest request;
        request.program = consoleProgram();
        request.arguments = arguments;
        request.standardInput = input;
        request.environment = environment;
        request.stdoutFile = m_program.file(u"console.out"_s);
        platform::ChildProcess console(request);
        ConsoleRun run;
        if (!console.start()) {
            ADD_FAILURE() << "cannot start " << consoleProgram().toStdString() << ": "
                          << console.result().errorText.toStdString();
            return run;
        }
        QElapsedTimer clock;
        clock.start();
        while (!console.waitFor(100) && clock.elapsed() < 120000) {
        }
        run.ended = !console.running();
        run.exitCode = console.result().exitCode;
        run.output = m_program.read(u"console.out"_s);
        return run;
    }

    // The seven-argument form against the test server.
    QStringList sevenArguments(const QString& operation, const QString& first, const QString& second,
                               const QString& folder)
    {
        return {operation, first, second, server().hostField(), server().user(), server().password(), folder};
    }

    static QByteArray banner() { return "FTP Console for Ombrix program\n" + app::webSite().toUtf8() + '\n'; }

    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(consoleProgram()).isExecutable()) << consoleProgram().toStdString();
        ASSERT_TRUE(startServer()) << m_server->errorText().toStdString();
        makeServerFolder(u"/moje zaloha"_s);
    }
};

} // namespace

TEST_F(ConsoleTest, SevenArgumentsUploadIntoAFolderWithSpaces)
{
    const QString local = writeLocalFile(u"a.txt"_s, "first upload");
    // The folder as one argument (as ombrix passes it) and typed without quotes (the rest of
    // the line is the folder).
    const QList<QStringList> forms = {
        sevenArguments(u"p"_s, local, u"one.txt"_s, u"/moje zaloha"_s),
        QStringList{u"p"_s, local, u"two.txt"_s, server().hostField(), server().user(), server().password(),
                    u"/moje"_s, u"zaloha"_s},
    };
    for (const QStringList& arguments : forms) {
        const ConsoleRun run = runConsole(arguments);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, banner());
    }
    EXPECT_EQ(readServerFile(u"/moje zaloha/one.txt"_s), QByteArray("first upload"));
    EXPECT_EQ(readServerFile(u"/moje zaloha/two.txt"_s), QByteArray("first upload"));

    // A second run replaces the file of that name.
    const QString changed = writeLocalFile(u"b.txt"_s, "second");
    EXPECT_EQ(runConsole(sevenArguments(u"p"_s, changed, u"one.txt"_s, u"/moje zaloha"_s)).exitCode, 0);
    EXPECT_EQ(readServerFile(u"/moje zaloha/one.txt"_s), QByteArray("second"));
}

TEST_F(ConsoleTest, PasswordFromStandardInput)
{
    const QString local = writeLocalFile(u"a.txt"_s, "by stdin");
    const QStringList arguments = {
        u"--password-stdin"_s, u"p"_s,           local, u"stdin.txt"_s, server().hostField(),
        server().user(),       u"/moje zaloha"_s};
    EXPECT_EQ(runConsole(arguments, server().password().toUtf8() + '\n').output, banner());
    EXPECT_EQ(readServerFile(u"/moje zaloha/stdin.txt"_s), QByteArray("by stdin"));

    // A wrong password: nothing arrives, nothing is said.
    const QStringList wrong = {
        u"--password-stdin"_s, u"p"_s,           local, u"wrong.txt"_s, server().hostField(),
        server().user(),       u"/moje zaloha"_s};
    const ConsoleRun run = runConsole(wrong, "not the password\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, banner());
    EXPECT_FALSE(QFileInfo::exists(serverFile(u"/moje zaloha/wrong.txt"_s)));
}

TEST_F(ConsoleTest, WhatDoesNotWorkEndsSilentlyWithCodeZero)
{
    const QString local = writeLocalFile(u"a.txt"_s, "content");
    struct Case
    {
        const char* what;
        QStringList arguments;
    };
    const QList<Case> cases = {
        {"capital P is no operation", sevenArguments(u"P"_s, local, u"upper.txt"_s, u"/moje zaloha"_s)},
        {"remote folder does not exist",
         sevenArguments(u"p"_s, local, u"nowhere.txt"_s, u"/no such folder"_s)},
        {"local file does not exist",
         sevenArguments(u"p"_s, m_program.file(u"none.txt"_s), u"none.txt"_s, u"/moje zaloha"_s)},
        {"arguments missing", QStringList{u"p"_s, local, u"short.txt"_s, server().hostField()}},
        {"no arguments", QStringList{}},
        {"bad port", QStringList{u"p"_s, local, u"port.txt"_s, u"127.0.0.1:99999"_s, server().user(),
                                 server().password(), u"/moje zaloha"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server().clearCommands();
        const ConsoleRun run = runConsole(c.arguments);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, banner());
        EXPECT_EQ(server().countCommands(u"STOR"_s), 0);
    }
    // "P" still logged in and changed folder.
    server().clearCommands();
    runConsole(sevenArguments(u"P"_s, local, u"upper.txt"_s, u"/moje zaloha"_s));
    EXPECT_EQ(server().countCommands(u"PASS"_s), 1);
    EXPECT_TRUE(server().commands().contains(u"CWD /moje zaloha"_s));
    EXPECT_FALSE(QFileInfo::exists(serverFile(u"/moje zaloha/upper.txt"_s)));
    EXPECT_FALSE(QFileInfo::exists(serverFile(u"/nowhere.txt"_s)));
}

TEST_F(ConsoleTest, DownloadNeverOverwritesALocalFile)
{
    writeServerFile(u"/moje zaloha/remote.txt"_s, "from the server");
    const QString fresh = m_program.file(u"fresh.txt"_s);
    EXPECT_EQ(runConsole(sevenArguments(u"g"_s, u"remote.txt"_s, fresh, u"/moje zaloha"_s)).exitCode, 0);
    EXPECT_EQ(m_program.read(u"fresh.txt"_s), QByteArray("from the server"));

    const QString existing = writeLocalFile(u"existing.txt"_s, "local content");
    server().clearCommands();
    EXPECT_EQ(runConsole(sevenArguments(u"g"_s, u"remote.txt"_s, existing, u"/moje zaloha"_s)).output,
              banner());
    EXPECT_EQ(m_program.read(u"existing.txt"_s), QByteArray("local content"));
    EXPECT_EQ(server().countCommands(u"RETR"_s), 0);
}

TEST_F(ConsoleTest, HelpVersionAndBanner)
{
    const ConsoleRun help = runConsole({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.startsWith(banner()));
    EXPECT_TRUE(
        help.output.contains("ombrixftp p LOCAL-FILE REMOTE-NAME HOST[:PORT] USER PASSWORD REMOTE-FOLDER"));
    EXPECT_TRUE(help.output.contains("ombrixftp --password-stdin"));

    const ConsoleRun version = runConsole({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, QByteArray("ombrixftp " OMBRIX_VERSION "\n"));

    // The web site line comes from one place and can be pointed elsewhere.
    const ConsoleRun elsewhere = runConsole({}, {}, {u"OMBRIX_WEB_SITE=https://mirror.example/ombrix"_s});
    EXPECT_EQ(elsewhere.output,
              QByteArray("FTP Console for Ombrix program\nhttps://mirror.example/ombrix\n"));
}
