#include "notify/EmailReport.h"

#include "core/config/DefaultConfig.h"
#include "core/log/RunLog.h"
#include "MailConfig.h"
#include "notify/EmailSettings.h"
#include "support/SmtpServer.h"
#include "support/TempProgramFolder.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <QJsonArray>
#include <QJsonObject>
#include <vector>

using namespace ombrix;
using namespace ombrix::test;

namespace {

const QString subject = QString::fromUtf8("Ombrix automatická zpráva");
const QString completion = QString::fromUtf8("Úspěšný konec zálohování");
const QByteArray logBytes = QByteArray("\xEF\xBB\xBF") + "Archiv: OMX_2024-05-06_07-08-09\r\n" +
                            QByteArray(56, '-') + "\r\nnot archived: /home/a/x.txt\r\n";

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

// A port on 127.0.0.1 where nobody listens (it was free a moment ago).
int refusedPort()
{
    Poco::Net::ServerSocket socket(Poco::Net::SocketAddress("127.0.0.1", 0));
    const int port = socket.address().port();
    socket.close();
    return port;
}

class EmailReportTest : public ::testing::Test
{
  protected:
    void SetUp() override { home.write(QStringLiteral("config.ini"), defaultConfigBytes()); }

    void TearDown() override
    {
        if (!HasFailure())
            return;
        for (const auto& server : servers)
            std::cerr << "--- SMTP server log ---\n" << server->log().toStdString() << '\n';
        std::cerr << "--- run log ---\n" << log.logBuffer().join(QLatin1Char('\n')).toStdString() << '\n';
    }

    // A started server; nullptr (with a failure recorded) when it did not start.
    SmtpServer* startServer(SmtpServer::Options options)
    {
        if (options.security != SmtpServer::Security::Plain) {
            options.certificateFile = certificates().certificateFile();
            options.keyFile = certificates().keyFile();
        }
        servers.push_back(std::make_unique<SmtpServer>(options));
        QString error;
        if (!servers.back()->start(&error)) {
            ADD_FAILURE() << "SMTP server: " << error.toStdString();
            return nullptr;
        }
        return servers.back().get();
    }

    TestCertificate& certificates()
    {
        if (!certs) {
            certs = std::make_unique<TestCertificate>();
            EXPECT_TRUE(certs->isValid()) << certs->error().toStdString();
        }
        return *certs;
    }
    void trust(const QString& authority)
    {
        trustStore.reset();
        trustStore = std::make_unique<TrustStore>(authority, certificates().emptyFolder());
    }

    QString configPath() const { return home.file(QStringLiteral("config.ini")); }
    QStringList emailErrors() const { return log.logBuffer().filter(QStringLiteral("EMAIL error: ")); }

    TempProgramFolder home;
    RunLog log{home.file(QStringLiteral("log.txt"))};
    std::unique_ptr<TestCertificate> certs;
    std::unique_ptr<TrustStore> trustStore;
    std::vector<std::unique_ptr<SmtpServer>> servers;
};

} // namespace

SmtpServer::Options withLogin(SmtpServer::Security security, const QString& user, const QString& password)
{
    SmtpServer::Options options;
    options.security = security;
    options.user = user;
    options.password = password;
    return options;
}

TEST_F(EmailReportTest, PlainMessageCarriesTheSettingsTheHtmlBodyAndTheLog)
{
    SmtpServer* server = startServer(
        withLogin(SmtpServer::Security::Plain, QStringLiteral("mailer"), QString::fromUtf8("tajné heslo")));
    ASSERT_NE(server, nullptr);
    MailConfig mail;
    mail.port = server->port();
    mail.user = QStringLiteral("mailer");
    mail.password = QString::fromUtf8("tajné heslo");
    mail.writeTo(configPath());
    home.write(QStringLiteral("log.txt"), logBytes);

    EmailReport report(configPath(), log);
    ASSERT_TRUE(report.email_send(subject, completion, home.file(QStringLiteral("log.txt"))))
        << report.lastError().toStdString();
    EXPECT_TRUE(report.lastError().isEmpty());
    EXPECT_TRUE(emailErrors().isEmpty());

    const QList<QJsonObject> messages = server->messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject& message = messages.first();
    EXPECT_EQ(text(message, "subject"), subject);
    const QJsonObject from = message.value(QLatin1String("from")).toArray().at(0).toObject();
    EXPECT_EQ(text(from, "name"), mail.pcName);
    EXPECT_EQ(text(from, "address"), mail.from);
    const QJsonArray to = message.value(QLatin1String("to")).toArray();
    ASSERT_EQ(to.size(), 1);
    EXPECT_EQ(text(to.at(0).toObject(), "address"), mail.to);
    EXPECT_EQ(text(to.at(0).toObject(), "name"), mail.to);
    EXPECT_EQ(text(message, "mail_from"), mail.from);
    EXPECT_EQ(message.value(QLatin1String("rcpt_tos")).toArray(), QJsonArray{mail.to});
    EXPECT_EQ(text(message, "html_type"), QStringLiteral("text/html"));
    EXPECT_EQ(text(message, "html").trimmed(),
              QStringLiteral("<html><body>") + completion + QStringLiteral("</body></html>"));
    EXPECT_EQ(text(message, "mailer"), QStringLiteral("agent"));
    EXPECT_FALSE(text(message, "date").isEmpty());
    EXPECT_FALSE(message.value(QLatin1String("tls")).toBool());
    // The stored password was unscrambled for the login.
    const QJsonObject login = message.value(QLatin1String("login")).toObject();
    EXPECT_EQ(text(login, "login"), QStringLiteral("mailer"));
    EXPECT_EQ(text(login, "password"), QString::fromUtf8("tajné heslo"));

    const QJsonArray attachments = message.value(QLatin1String("attachments")).toArray();
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_EQ(text(attachments.at(0).toObject(), "filename"), QStringLiteral("log.txt"));
    EXPECT_EQ(text(attachments.at(0).toObject(), "data").toLatin1(), logBytes);
}

TEST_F(EmailReportTest, WithoutTheFileNoAttachmentAndTheTextGoesInAsItIs)
{
    SmtpServer* server = startServer({});
    ASSERT_NE(server, nullptr);
    MailConfig mail;
    mail.port = server->port();
    mail.user = QStringLiteral("someone");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath());

    EmailReport report(configPath(), log);
    // A log file that is not there, and no file at all.
    ASSERT_TRUE(report.email_send(subject, QStringLiteral("<b>Error</b>, ombrix was stopped"),
                                  home.file(QStringLiteral("log.txt"))));
    ASSERT_TRUE(report.email_send(subject, completion, QString()));
    const QList<QJsonObject> messages = server->messages();
    ASSERT_EQ(messages.size(), 2);
    for (const QJsonObject& message : messages)
        EXPECT_TRUE(message.value(QLatin1String("attachments")).toArray().isEmpty());
    // The text is HTML already: no escaping.
    EXPECT_TRUE(text(messages.at(0), "html")
                    .contains(QStringLiteral("<body><b>Error</b>, ombrix was stopped</body>")));
    // The server offers no AUTH: the user name is not used, the password never sent.
    EXPECT_FALSE(server->eventNames().contains(QStringLiteral("AUTH")));
}

TEST_F(EmailReportTest, StartTlsSendsOverTheVerifiedConnectionAndPlainAgainAfterwards)
{
    SmtpServer* secure = startServer(
        withLogin(SmtpServer::Security::StartTls, QStringLiteral("mailer"), QStringLiteral("pw")));
    SmtpServer* plain = startServer({});
    ASSERT_TRUE(secure && plain);
    trust(certificates().authorityFile());
    MailConfig mail;
    mail.port = secure->port();
    mail.ssl = 1;
    mail.user = QStringLiteral("mailer");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath());
    home.write(QStringLiteral("log.txt"), logBytes);

    EmailReport report(configPath(), log);
    ASSERT_TRUE(report.email_send(subject, completion, home.file(QStringLiteral("log.txt"))))
        << report.lastError().toStdString();
    const QList<QJsonObject> messages = secure->messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().value(QLatin1String("tls")).toBool());
    EXPECT_EQ(messages.first().value(QLatin1String("attachments")).toArray().size(), 1);
    // Only EHLO went out before STARTTLS; the login and the message went encrypted.
    for (const QJsonObject& event : secure->events()) {
        if (text(event, "event") != QStringLiteral("EHLO")) {
            EXPECT_TRUE(event.value(QLatin1String("tls")).toBool()) << text(event, "event").toStdString();
        }
    }
    EXPECT_TRUE(secure->eventNames().contains(QStringLiteral("AUTH")));

    mail.port = plain->port();
    mail.ssl = 0;
    mail.writeTo(configPath());
    ASSERT_TRUE(report.email_send(subject, completion, QString())) << report.lastError().toStdString();
    ASSERT_EQ(plain->messages().size(), 1);
    EXPECT_FALSE(plain->messages().first().value(QLatin1String("tls")).toBool());
}

TEST_F(EmailReportTest, TlsChosenButNoStartTlsOfferedSendsNothing)
{
    SmtpServer* server =
        startServer(withLogin(SmtpServer::Security::Plain, QStringLiteral("mailer"), QStringLiteral("pw")));
    ASSERT_NE(server, nullptr);
    MailConfig mail;
    mail.port = server->port();
    mail.ssl = 1;
    mail.user = QStringLiteral("mailer");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath());

    EmailReport report(configPath(), log);
    EXPECT_FALSE(report.email_send(subject, completion, QString()));
    ASSERT_EQ(emailErrors().size(), 1);
    EXPECT_TRUE(emailErrors().first().startsWith(QStringLiteral("EMAIL error: ")));
    EXPECT_TRUE(emailErrors().first().contains(QStringLiteral("STARTTLS")))
        << emailErrors().first().toStdString();
    // No login, no message over the plain connection.
    EXPECT_TRUE(server->messages().isEmpty());
    EXPECT_FALSE(server->eventNames().contains(QStringLiteral("AUTH")));
    EXPECT_FALSE(server->eventNames().contains(QStringLiteral("MAIL")));
}

TEST_F(EmailReportTest, UntrustedCertificateFailsWithTheReasonAndSendsNothing)
{
    SmtpServer* server = startServer(
        withLogin(SmtpServer::Security::StartTls, QStringLiteral("mailer"), QStringLiteral("pw")));
    ASSERT_NE(server, nullptr);
    // The system trusts another authority than the one that signed the server's certificate.
    trust(certificates().otherAuthorityFile());
    MailConfig mail;
    mail.port = server->port();
    mail.ssl = 1;
    mail.user = QStringLiteral("mailer");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath());

    EmailReport report(configPath(), log);
    EXPECT_FALSE(report.email_send(subject, completion, QString()));
    ASSERT_EQ(emailErrors().size(), 1);
    EXPECT_TRUE(emailErrors().first().contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
        << emailErrors().first().toStdString();
    EXPECT_TRUE(server->messages().isEmpty());
    EXPECT_FALSE(server->eventNames().contains(QStringLiteral("AUTH")));
    EXPECT_FALSE(server->eventNames().contains(QStringLiteral("MAIL")));
}

TEST_F(EmailReportTest, TlsOnTheSmtpsPortStartsEncrypted)
{
    SmtpServer* server =
        startServer(withLogin(SmtpServer::Security::Smtps, QStringLiteral("mailer"), QStringLiteral("pw")));
    ASSERT_NE(server, nullptr);
    trust(certificates().authorityFile());
    MailConfig mail;
    mail.port = server->port();
    mail.ssl = 1;
    mail.user = QStringLiteral("mailer");
    mail.password = QStringLiteral("pw");
    mail.writeTo(configPath());

    EmailReport report(configPath(), log);
    // The test server cannot listen on 465 itself; its port takes that role.
    report.setImplicitTlsPort(server->port());
    ASSERT_TRUE(report.email_send(subject, completion, QString())) << report.lastError().toStdString();
    ASSERT_EQ(server->messages().size(), 1);
    EXPECT_TRUE(server->messages().first().value(QLatin1String("tls")).toBool());
    const QList<QJsonObject> events = server->events();
    ASSERT_FALSE(events.isEmpty());
    EXPECT_TRUE(events.first().value(QLatin1String("tls")).toBool());
}

TEST_F(EmailReportTest, FailingServersAreLoggedAndReportedFalse)
{
    SmtpServer::Options silentOptions;
    silentOptions.silent = true;
    SmtpServer::Options rejectingOptions;
    rejectingOptions.rejected = {QStringLiteral("admin@example.test")};
    SmtpServer* silent = startServer(silentOptions);
    SmtpServer* rejecting = startServer(rejectingOptions);
    ASSERT_TRUE(silent && rejecting);
    const struct
    {
        const char* name;
        int port;
        const char* reason; // a part of the logged reason
    } cases[] = {
        {"refused connection", refusedPort(), "connecting"},
        {"server that never answers", silent->port(), "greeting"},
        {"rejected recipient", rejecting->port(), "admin@example.test"},
    };
    EmailReport report(configPath(), log);
    report.setTimeouts(2000, 1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        MailConfig mail;
        mail.port = c.port;
        mail.writeTo(configPath());
        EXPECT_FALSE(report.email_send(subject, completion, QString()));
        ASSERT_EQ(emailErrors().size(), 1);
        EXPECT_TRUE(emailErrors().first().startsWith(QStringLiteral("EMAIL error: ")));
        EXPECT_TRUE(emailErrors().first().contains(QLatin1String(c.reason)))
            << emailErrors().first().toStdString();
        EXPECT_EQ(QStringLiteral("EMAIL error: ") + report.lastError(), emailErrors().first());
        // The line is in log.txt at once.
        EXPECT_TRUE(home.read(QStringLiteral("log.txt")).contains(emailErrors().first().toUtf8()));
    }
    EXPECT_TRUE(rejecting->messages().isEmpty());
}

TEST_F(EmailReportTest, SettingsTheDialogNeverConfirmedFailWithALoggedLine)
{
    // The default file: every OPTIONS_EMAIL key present, the server empty.
    EmailReport report(configPath(), log);
    EXPECT_FALSE(report.email_send(subject, completion, QString()));
    ASSERT_EQ(emailErrors().size(), 1);
    EXPECT_TRUE(emailErrors().first().startsWith(QStringLiteral("EMAIL error: ")));
}

TEST_F(EmailReportTest, BufferedLogStillGetsTheErrorLineOnDisk)
{
    log.setProgressSaveInterval(10);
    MailConfig mail;
    mail.port = refusedPort();
    mail.writeTo(configPath());
    EmailReport report(configPath(), log);
    EXPECT_FALSE(report.email_send(subject, completion, QString()));
    ASSERT_EQ(emailErrors().size(), 1);
    EXPECT_TRUE(home.read(QStringLiteral("log.txt")).contains(emailErrors().first().toUtf8()));
}

TEST(EmailSettings, MissingKeysTakeTheirDefaultsPresentEmptyKeysStayEmpty)
{
    TempProgramFolder home;
    const QString path = home.file(QStringLiteral("config.ini"));
    home.write(QStringLiteral("config.ini"), "[OPTIONS_EMAIL]\r\n");
    EmailSettings missing = EmailSettings::read(IniStore(path));
    EXPECT_EQ(missing.fromAddress, EmailSettings::placeholderAddress);
    EXPECT_EQ(missing.toAddress, EmailSettings::placeholderAddress);
    EXPECT_EQ(missing.username, EmailSettings::placeholderAddress);
    EXPECT_EQ(missing.pcName, QStringLiteral("ombrix"));
    EXPECT_EQ(missing.host, QStringLiteral("localhost"));
    EXPECT_EQ(missing.port, 25);
    EXPECT_TRUE(missing.password.isEmpty());
    EXPECT_FALSE(missing.useTls());

    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    const EmailSettings empty = EmailSettings::read(IniStore(path));
    EXPECT_TRUE(empty.fromAddress.isEmpty());
    EXPECT_TRUE(empty.pcName.isEmpty());
    EXPECT_TRUE(empty.host.isEmpty());
    EXPECT_TRUE(empty.username.isEmpty());

    const struct
    {
        const char* port;
        int expected;
    } ports[] = {{"587", 587}, {"abc", 25}, {"", 25}, {"0", 25}, {"70000", 25}, {"0x1D1", 465}};
    for (const auto& p : ports) {
        IniStore(path).writeString(ConfigKeys::EMAIL_SMTP_PORT, QString::fromLatin1(p.port));
        EXPECT_EQ(EmailSettings::read(IniStore(path)).port, p.expected) << p.port;
    }
    IniStore(path).writeString(ConfigKeys::EMAIL_SMTP_SSL, QStringLiteral("2"));
    EXPECT_FALSE(EmailSettings::read(IniStore(path)).useTls());
    IniStore(path).writeString(ConfigKeys::EMAIL_SMTP_SSL, QStringLiteral("1"));
    EXPECT_TRUE(EmailSettings::read(IniStore(path)).useTls());
}
