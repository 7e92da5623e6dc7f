#include "FtpFixture.h"
#include "storage/ftp/FtpClient.h"

#include <atomic>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <thread>

using namespace ombrix;
using namespace ombrix::test;
using namespace Qt::Literals::StringLiterals;

namespace {

class FtpConnectionTest : public FtpFixture
{
  protected:
    // The hidden partial downloads left in a folder.
    static QStringList partialDownloads(const QString& folder)
    {
        return QDir(folder).entryList({u".ombrix-get-*"_s}, QDir::Files | QDir::Hidden);
    }
};

} // namespace

TEST_F(FtpConnectionTest, RefusedLoginAndServerThatAnswers421LeaveTheDestinationOffline)
{
    FtpServer::Options refusing;
    refusing.refuseLogins = true;
    ASSERT_TRUE(startServer(refusing)) << server().errorText().toStdString();
    FtpClient client;
    EXPECT_FALSE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()));
    EXPECT_FALSE(client.isOpen());
    EXPECT_TRUE(client.lastError().startsWith(u"530"_s)) << client.lastError().toStdString();
    EXPECT_FALSE(connection().open());
    EXPECT_FALSE(connection().ftpOnline());

    FtpServer::Options closing;
    closing.reply421 = true;
    server().setOptions(closing);
    EXPECT_FALSE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()));
    EXPECT_TRUE(client.lastError().startsWith(u"421"_s)) << client.lastError().toStdString();
    EXPECT_FALSE(connection().open());
    EXPECT_FALSE(connection().ftpOnline());

    // Back to normal: the same connection object opens.
    server().setOptions({});
    EXPECT_TRUE(connection().open()) << connection().client().lastError().toStdString();
    EXPECT_TRUE(connection().ftpOnline());
}

TEST_F(FtpConnectionTest, A421ClosesTheConnectionAndTheReconnectStepOpensItAgain)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    FtpConnection& conn = connection();
    ASSERT_TRUE(conn.ftpOnline()) << conn.client().lastError().toStdString();

    FtpServer::Options closing;
    closing.reply421 = true;
    server().setOptions(closing);
    EXPECT_FALSE(conn.noop());
    EXPECT_TRUE(conn.client().lastError().startsWith(u"421"_s)) << conn.client().lastError().toStdString();
    EXPECT_FALSE(conn.isConnected());
    // While the server keeps refusing, the step cannot open it and says nothing.
    conn.ftpReconect();
    EXPECT_FALSE(conn.isConnected());

    server().setOptions({});
    conn.setFtpOnline(false);
    conn.ftpReconect();
    EXPECT_TRUE(conn.isConnected());
    EXPECT_TRUE(conn.ftpOnline());
    EXPECT_TRUE(conn.noop());
}

TEST_F(FtpConnectionTest, EveryCommandHasATimeout)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    FtpClient client;
    client.setTimeoutMs(300);
    ASSERT_TRUE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()))
        << client.lastError().toStdString();
    FtpServer::Options slow;
    slow.delayMs = 3000;
    server().setOptions(slow);
    EXPECT_FALSE(client.noop());
    EXPECT_FALSE(client.isOpen()) << "a command that timed out leaves the conversation out of step";
    EXPECT_FALSE(client.lastError().isEmpty());
    // A connection that cannot even log in in time gives up the same way.
    EXPECT_FALSE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()));
    EXPECT_FALSE(client.isOpen());
}

TEST_F(FtpConnectionTest, KeepAliveListsOnlyWhileOnline)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    FtpConnection& conn = connection();
    ASSERT_TRUE(conn.ftpOnline());
    server().clearCommands();
    conn.keepAliveTick();
    EXPECT_EQ(server().countCommands(u"MLSD"_s), 1);
    conn.setFtpOnline(false);
    conn.keepAliveTick();
    EXPECT_EQ(server().countCommands(u"MLSD"_s), 1);

    // A folder destination has no connection at all.
    FtpSettings folder = settings();
    folder.kind = DestinationKind::Dir;
    FtpConnection none(folder);
    EXPECT_FALSE(none.open());
    none.ftpReconect();
    EXPECT_FALSE(none.isConnected());
}

TEST_F(FtpConnectionTest, ActiveModeListsAndDownloads)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    writeServerFile(u"/data/file.bin"_s, "active mode content");
    FtpClient client;
    client.setPassive(false);
    ASSERT_TRUE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()))
        << client.lastError().toStdString();
    ASSERT_TRUE(client.changeDir(u"/data"_s)) << client.lastError().toStdString();
    QString folder;
    ASSERT_TRUE(client.printDir(folder));
    EXPECT_EQ(folder, u"/data"_s);
    QStringList lines;
    ASSERT_TRUE(client.listDetailed(u"file.bin"_s, lines)) << client.lastError().toStdString();
    EXPECT_EQ(lines.size(), 1);
    const QString target = m_program.file(u"file.bin"_s);
    ASSERT_TRUE(client.download(u"file.bin"_s, target)) << client.lastError().toStdString();
    EXPECT_EQ(m_program.read(u"file.bin"_s), QByteArray("active mode content"));
    EXPECT_TRUE(server().commands().filter(u"EPRT"_s).size() + server().commands().filter(u"PORT"_s).size() >
                0);
}

TEST_F(FtpConnectionTest, FailedDownloadsLeaveNoLocalFile)
{
    FtpServer::Options options;
    options.throttleBytesPerSecond = 16 * 1024;
    ASSERT_TRUE(startServer(options)) << server().errorText().toStdString();
    writeServerFile(u"/data/big.bin"_s, QByteArray(2 * 1024 * 1024, 'x'));
    FtpClient client;
    ASSERT_TRUE(client.connectTo(u"127.0.0.1"_s, server().port(), server().user(), server().password()))
        << client.lastError().toStdString();
    ASSERT_TRUE(client.changeDir(u"/data"_s));
    const QString folder = m_program.path();

    // A file the server does not have.
    EXPECT_FALSE(client.download(u"missing.bin"_s, folder + u"/missing.bin"_s));
    EXPECT_TRUE(client.lastError().startsWith(u"550"_s)) << client.lastError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder + u"/missing.bin"_s));
    EXPECT_TRUE(partialDownloads(folder).isEmpty());

    // A local file that is already there is never touched.
    m_program.write(u"existing.bin"_s, "keep me");
    EXPECT_FALSE(client.download(u"big.bin"_s, folder + u"/existing.bin"_s));
    EXPECT_EQ(m_program.read(u"existing.bin"_s), QByteArray("keep me"));

    // The server goes away in the middle of the transfer (the throttled file takes minutes; the
    // partial download has no name in the folder, so the server's log says when it began).
    std::atomic<bool> stopped{false};
    std::thread killer([&] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            if (server().commands().contains(u"RETR big.bin"_s)) {
                QThread::msleep(200);
                server().stop();
                stopped = true;
                return;
            }
            QThread::msleep(20);
        }
    });
    server().clearCommands();
    const bool fetched = client.download(u"big.bin"_s, folder + u"/big.bin"_s);
    killer.join();
    ASSERT_TRUE(stopped.load()) << "the download never got under way";
    EXPECT_FALSE(fetched);
    EXPECT_FALSE(QFileInfo::exists(folder + u"/big.bin"_s));
    EXPECT_TRUE(partialDownloads(folder).isEmpty()) << partialDownloads(folder).join(u", "_s).toStdString();
    EXPECT_FALSE(client.isOpen());
}
