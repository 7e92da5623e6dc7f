#pragma once

#include "support/PythonServer.h"

#include <memory>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace ombrix::test {

// A real SMTP server (aiosmtpd, smtp_server.py) on 127.0.0.1 for one test. Each accepted message
// can be read back as the server understood it: envelope, From/To/Subject decoded, the HTML
// body, the attachments (name, type, bytes as Latin-1 text), whether the connection was
// encrypted and who logged in. events() lists every command the server acted on (EHLO, AUTH,
// MAIL, RCPT, DATA), each with "tls".
class SmtpServer
{
  public:
    enum class Security
    {
        Plain,    // no TLS offered
        StartTls, // STARTTLS offered and required before MAIL
        Smtps,    // TLS from the first byte
    };
    struct Options
    {
        Security security = Security::Plain;
        // Both set: AUTH offered (after STARTTLS with StartTls) and required.
        QString user;
        QString password;
        // RCPT TO for these addresses is answered with 550.
        QStringList rejected;
        // The server takes connections and never answers.
        bool silent = false;
        // The certificate and key for StartTls and Smtps.
        QString certificateFile;
        QString keyFile;
    };

    explicit SmtpServer(const Options& options);

    bool start(QString* error) { return m_server->start(error); }
    void stop() { m_server->stop(); }
    int port() const { return m_server->port(); }
    QString log() const { return m_server->log(); }

    // The messages accepted so far, in order.
    QList<QJsonObject> messages() const;
    QList<QJsonObject> events() const;
    // The names of the events so far ("EHLO", "AUTH", "MAIL", ...).
    QStringList eventNames() const;

  private:
    std::unique_ptr<PythonServer> m_server;
};

} // namespace ombrix::test
