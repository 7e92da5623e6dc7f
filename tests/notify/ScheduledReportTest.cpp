#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "MailConfig.h"
#include "support/ScheduledRun.h"
#include "support/SmtpServer.h"
#include "support/TempProgramFolder.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace ombrix;
using namespace ombrix::test;

namespace {

// How the report of a scheduled run travels, and whether it arrives.
struct Case
{
    const char* name;
    SmtpServer::Security security;
    int ssl;            // EMAIL_SMTP_SSL
    bool serverListens; // false: nobody listens on the port
    bool delivered;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

// The bytes of one file inside a one-entry archive of the set, extracted with the real 7za.
QByteArray extracted(const QString& archive)
{
    QProcess sevenZip;
    sevenZip.start(QStringLiteral("7za"), {QStringLiteral("e"), QStringLiteral("-so"), archive});
    if (!sevenZip.waitForFinished(60000))
        return {};
    return sevenZip.readAllStandardOutput();
}

class ScheduledReport : public ::testing::TestWithParam<Case>
{
  protected:
    void TearDown() override
    {
        if (HasFailure() && server)
            std::cerr << "--- SMTP server log ---\n" << server->log().toStdString() << '\n';
    }

    std::unique_ptr<SmtpServer> server;
};

} // namespace

TEST_P(ScheduledReport, CompletedBackupMailsItsReportOrLogsWhyNot)
{
    const Case& c = GetParam();
    TempProgramFolder home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    ASSERT_TRUE(destination.isValid() && sources.isValid());

    TestCertificate certificates;
    ASSERT_TRUE(certificates.isValid()) << certificates.error().toStdString();
    // The program started below trusts the test authority the same way.
    const TrustStore trust(certificates.authorityFile(), certificates.emptyFolder());
    int port = 0;
    if (c.serverListens) {
        SmtpServer::Options options;
        options.security = c.security;
        options.certificateFile = certificates.certificateFile();
        options.keyFile = certificates.keyFile();
        options.user = QStringLiteral("mailer");
        options.password = QStringLiteral("pw");
        server = std::make_unique<SmtpServer>(options);
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        port = server->port();
    } else {
        Poco::Net::ServerSocket socket(Poco::Net::SocketAddress("127.0.0.1", 0));
        port = socket.address().port();
    }

    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    const QString configPath = home.file(QStringLiteral("config.ini"));
    {
        IniStore config(configPath);
        config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
        config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
        config.writeBool(ConfigKeys::EMAIL, true);
    }
    MailConfig mail;
    mail.port = port;
    mail.ssl = c.ssl;
    mail.user = QStringLiteral("mailer");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath);
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {sources.path()}));
    QFile file(sources.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("data\n");
    file.close();

    const ScheduledRun run = ScheduledRun::run(home.path());
    ASSERT_TRUE(run.finished);
    // A report that cannot be sent never stops the backup.
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(IniStore(configPath).readBool(ConfigKeys::LAST_BACKUP_DONE, false));
    const QString set = IniStore(configPath).readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    ASSERT_FALSE(set.isEmpty());
    const QByteArray setLog =
        extracted(SetLayout::sideArchivePath(destination.path(), set, SetLayout::logFile));
    ASSERT_TRUE(setLog.contains("Archiv: " + set.toUtf8())) << setLog.toStdString();

    if (c.delivered) {
        const QList<QJsonObject> messages = server->messages();
        ASSERT_EQ(messages.size(), 1);
        const QJsonObject& message = messages.first();
        EXPECT_EQ(text(message, "subject"), QString::fromUtf8("Ombrix automatická zpráva"));
        EXPECT_TRUE(text(message, "html").contains(QString::fromUtf8("Úspěšný konec zálohování")));
        EXPECT_EQ(message.value(QLatin1String("tls")).toBool(), c.ssl == 1);
        const QJsonArray attachments = message.value(QLatin1String("attachments")).toArray();
        ASSERT_EQ(attachments.size(), 1);
        EXPECT_EQ(text(attachments.at(0).toObject(), "filename"), QStringLiteral("log.txt"));
        EXPECT_TRUE(
            text(attachments.at(0).toObject(), "data").toLatin1().contains("Archiv: " + set.toUtf8()));
        EXPECT_FALSE(setLog.contains("EMAIL error: "));
    } else {
        if (server) {
            EXPECT_TRUE(server->messages().isEmpty());
            EXPECT_FALSE(server->eventNames().contains(QStringLiteral("AUTH")));
        }
        EXPECT_TRUE(setLog.contains("EMAIL error: ")) << setLog.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Notify, ScheduledReport,
    ::testing::Values(Case{"PlainServer", SmtpServer::Security::Plain, 0, true, true},
                      Case{"StartTlsServer", SmtpServer::Security::StartTls, 1, true, true},
                      Case{"TlsChosenServerWithoutStartTls", SmtpServer::Security::Plain, 1, true, false},
                      Case{"NobodyListens", SmtpServer::Security::Plain, 0, false, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
