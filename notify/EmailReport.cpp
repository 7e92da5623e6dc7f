#include "notify/EmailReport.h"

#include "core/config/IniStore.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "notify/EmailSettings.h"
#include "notify/IgnoreBrokenPipe.h"
#include "notify/SmtpSession.h"
#include "notify/TlsContext.h"

#include <exception>
#include <memory>
#include <Poco/Exception.h>
#include <Poco/Net/MailMessage.h>
#include <Poco/Net/MailRecipient.h>
#include <Poco/Net/SecureStreamSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Net/StringPartSource.h>
#include <Poco/Timespan.h>
#include <Poco/Timestamp.h>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <string>

namespace ombrix {

namespace {

const std::string charset = "UTF-8";

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

Poco::Timespan timespanOf(int ms)
{
    return Poco::Timespan(Poco::Timespan::TimeDiff(ms) * 1000);
}

// A server's answer or an error text as one log line.
QString oneLine(const QString& text)
{
    return text.simplified();
}

// This machine's name for EHLO when it is a usable host name, otherwise "localhost".
std::string clientName()
{
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$"));
    const QString name = QSysInfo::machineHostName();
    return hostName.match(name).hasMatch() ? utf8(name) : std::string("localhost");
}

// Text for a header line: without line breaks (which would end the header) and NULs.
QString lineSafe(const QString& text)
{
    QString clean;
    for (const QChar c : text) {
        if (c != u'\r' && c != u'\n' && c != QChar(0))
            clean.append(c);
    }
    return clean.trimmed();
}

// A display name or an address for From and To: also without angle brackets (Poco takes the first
// "<" for the start of the address) and without quotes and backslashes (which would end or
// escape a quoted name).
QString mailboxSafe(const QString& text)
{
    QString clean;
    for (const QChar c : lineSafe(text)) {
        if (c != u'<' && c != u'>' && c != u'"' && c != u'\\')
            clean.append(c);
    }
    return clean;
}

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// "Name" <address>, the name encoded after RFC 2047 when it is not plain ASCII; <address> alone
// for an empty name.
std::string mailbox(const QString& name, const QString& address)
{
    const QString shown = mailboxSafe(name);
    const std::string angle = "<" + utf8(mailboxSafe(address)) + ">";
    if (shown.isEmpty())
        return angle;
    if (isAscii(shown))
        return "\"" + utf8(shown) + "\" " + angle;
    return Poco::Net::MailMessage::encodeWord(utf8(shown), charset) + " " + angle;
}

std::string headerWord(const QString& text)
{
    return Poco::Net::MailMessage::encodeWord(utf8(lineSafe(text)), charset);
}

std::string mediaTypeOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("log") || suffix == QLatin1String("csv"))
        return "text/plain";
    return "application/octet-stream";
}

// The attachment's bytes and name; false when there is no file to attach (none named, missing,
// not a plain file, or unreadable), and the message then goes without one.
bool readAttachment(const QString& path, QByteArray* bytes, QString* name)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    *name = QFileInfo(path).fileName();
    return true;
}

void compose(Poco::Net::MailMessage& message, const EmailSettings& settings, const QString& subject,
             const QString& text, const QString& attachment)
{
    message.setSender(mailbox(settings.pcName, settings.fromAddress));
    const QString to = mailboxSafe(settings.toAddress);
    message.addRecipient(
        Poco::Net::MailRecipient(Poco::Net::MailRecipient::PRIMARY_RECIPIENT, utf8(to), utf8(to)));
    message.setSubject(headerWord(subject));
    message.setDate(Poco::Timestamp());
    message.set("X-Mailer", "agent");

    const std::string html = "<html><body>" + utf8(text) + "</body></html>";
    const std::string htmlType = "text/html; charset=" + charset;
    QByteArray bytes;
    QString name;
    if (readAttachment(attachment, &bytes, &name)) {
        message.addContent(new Poco::Net::StringPartSource(html, htmlType),
                           Poco::Net::MailMessage::ENCODING_QUOTED_PRINTABLE);
        const std::string fileName = headerWord(name);
        message.addAttachment(
            fileName, new Poco::Net::StringPartSource(bytes.toStdString(), mediaTypeOf(name), fileName));
    } else {
        message.setContentType(htmlType);
        message.setContent(html, Poco::Net::MailMessage::ENCODING_QUOTED_PRINTABLE);
    }
}

// QUIT, and if even that fails, the connection dropped.
void quit(SmtpSession& session)
{
    try {
        session.close();
    } catch (const Poco::Exception&) {
        session.abort();
    }
}

} // namespace

EmailReport::EmailReport(QString configPath, RunLog& log) : m_configPath(std::move(configPath)), m_log(log) {}

void EmailReport::setTimeouts(int connectMs, int responseMs)
{
    m_connectMs = connectMs > 0 ? connectMs : defaultConnectTimeoutMs;
    m_responseMs = responseMs > 0 ? responseMs : defaultResponseTimeoutMs;
}

bool EmailReport::email_send(const QString& subjekt, const QString& zprava, const QString& soubor)
{
    QString failure;
    try {
        const EmailSettings settings = EmailSettings::read(IniStore(m_configPath));
        failure = send(settings, subjekt, zprava, soubor);
    } catch (const Poco::Exception& e) {
        failure = oneLine(QString::fromStdString(e.displayText()));
    } catch (const std::exception& e) {
        failure = oneLine(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        failure = QStringLiteral("unknown error");
    }
    m_lastError = failure;
    if (failure.isEmpty())
        return true;
    m_log.dologu(logline::emailError + failure);
    if (!m_log.savesEveryLine())
        m_log.save();
    return false;
}

QString EmailReport::send(const EmailSettings& settings, const QString& subjekt, const QString& zprava,
                          const QString& soubor) const
{
    const QString hostText = settings.host.trimmed();
    if (hostText.isEmpty())
        return QStringLiteral("no SMTP server is set");
    ignoreBrokenPipe();

    Poco::Net::MailMessage message;
    compose(message, settings, subjekt, zprava, soubor);

    const std::string host = utf8(hostText);
    const bool tls = settings.useTls();
    const bool tlsFromStart = tls && settings.port == m_implicitTlsPort;
    const QString server = hostText + u':' + QString::number(settings.port);
    QString step = QStringLiteral("connecting to ") + server;
    std::unique_ptr<SmtpSession> session;
    try {
        const Poco::Net::SocketAddress address(host, static_cast<Poco::UInt16>(settings.port));
        if (tlsFromStart) {
            // SMTPS: the handshake (and the certificate check) is part of connecting.
            Poco::Net::SecureStreamSocket socket(verifiedClientContext());
            socket.setPeerHostName(host);
            socket.connect(address, timespanOf(m_connectMs));
            SmtpSession::requireHandshake(socket);
            session = std::make_unique<SmtpSession>(socket);
        } else {
            Poco::Net::StreamSocket socket;
            socket.connect(address, timespanOf(m_connectMs));
            session = std::make_unique<SmtpSession>(socket);
        }
        session->setTimeouts(timespanOf(m_responseMs));

        step = QStringLiteral("greeting of ") + server;
        std::string hello = session->hello(clientName());
        if (tls && !tlsFromStart) {
            // Nothing but EHLO has been said in plain text so far, and nothing more will be
            // unless the connection is encrypted.
            if (!SmtpSession::offers(hello, "STARTTLS")) {
                quit(*session);
                return QStringLiteral("TLS was chosen but ") + server +
                       QStringLiteral(" offers no STARTTLS; nothing was sent");
            }
            step = QStringLiteral("STARTTLS with ") + server;
            std::string answer;
            if (!session->startTls(verifiedClientContext(), host, &answer)) {
                quit(*session);
                return QStringLiteral("TLS was chosen but ") + server +
                       QStringLiteral(" refused STARTTLS: ") + oneLine(QString::fromStdString(answer)) +
                       QStringLiteral("; nothing was sent");
            }
            step = QStringLiteral("EHLO over TLS with ") + server;
            hello = session->hello(clientName());
        }

        Poco::Net::SMTPClientSession::LoginMethod method = Poco::Net::SMTPClientSession::AUTH_NONE;
        if (!settings.username.isEmpty() && SmtpSession::authMethod(hello, &method)) {
            step = QStringLiteral("login at ") + server;
            session->login(clientName(), method, utf8(settings.username), utf8(settings.password));
        }

        step = QStringLiteral("sending to ") + server;
        session->sendMessage(message);
        // The server has accepted the message; how the goodbye goes does not change that.
        quit(*session);
        return QString();
    } catch (const Poco::Exception& e) {
        if (session)
            session->abort();
        return step + QStringLiteral(": ") + oneLine(QString::fromStdString(e.displayText()));
    } catch (const std::exception& e) {
        if (session)
            session->abort();
        return step + QStringLiteral(": ") + oneLine(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace ombrix
