#pragma once

#include <QString>

namespace ombrix {

class RunLog;
struct EmailSettings;

// The report e-mail (email_send): one HTML message to one recipient through the SMTP server of
// section OPTIONS_EMAIL, read from config.ini at each sending.
//
// Security follows EMAIL_SMTP_SSL. 0: a plain connection. 1: TLS 1.2 or later with the server's
// certificate verified against the system's trust store and the host name: on port 465 from the
// first byte (SMTPS), on any other port by STARTTLS after the greeting; a server that does not
// offer STARTTLS gets neither a login nor the message. A user name is sent (with AUTH PLAIN,
// LOGIN or CRAM-MD5, whichever the server offers first in that order) only when the server
// offers AUTH.
//
// Every failure (no server, refused connection, timeout, TLS or certificate failure, refused
// login, rejected recipient) becomes the log line "EMAIL error: " + the reason and the result
// false; nothing is thrown. The call blocks until the server has answered or a timeout ran out.
class EmailReport
{
  public:
    static constexpr int defaultConnectTimeoutMs = 5000;
    static constexpr int defaultResponseTimeoutMs = 20000;
    static constexpr int smtpsPort = 465;

    // configPath: the config.ini whose OPTIONS_EMAIL section is read; log: where failures go
    // (saved to its file at once, also when log lines are otherwise buffered, so the line reaches
    // the log archived into the set).
    EmailReport(QString configPath, RunLog& log);

    // Limits of the network steps: connecting, and each answer of the server or send to it.
    void setTimeouts(int connectMs, int responseMs);
    // The port on which TLS starts with the first byte instead of by STARTTLS (465); tests put
    // their server's port here.
    void setImplicitTlsPort(int port) { m_implicitTlsPort = port; }

    // Sends subjekt with the HTML body "<html><body>" + zprava + "</body></html>" (zprava is
    // inserted as it is) and, when soubor names an existing file, that file attached under its
    // name. True when the server accepted the message.
    bool email_send(const QString& subjekt, const QString& zprava, const QString& soubor);

    // Why the last sending failed; empty after a success.
    const QString& lastError() const { return m_lastError; }

  private:
    // The reason of a failure, or the empty text when the server accepted the message.
    QString send(const EmailSettings& settings, const QString& subjekt, const QString& zprava,
                 const QString& soubor) const;

    QString m_configPath;
    RunLog& m_log;
    int m_connectMs = defaultConnectTimeoutMs;
    int m_responseMs = defaultResponseTimeoutMs;
    int m_implicitTlsPort = smtpsPort;
    QString m_lastError;
};

} // namespace ombrix
