#pragma once

#include "support/PythonServer.h"

#include <memory>
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

namespace ombrix::test {

// A real HTTPS server (Python's http.server in ssl, https_server.py) on 127.0.0.1 for one test,
// with the certificate given. It answers GET requests for a path with the bytes set for it (404
// for any other), and records every request it got.
class HttpsServer
{
  public:
    HttpsServer(const QString& certificateFile, const QString& keyFile);

    bool start(QString* error) { return m_server->start(error); }
    void stop() { m_server->stop(); }
    QString log() const { return m_server->log(); }
    // https://127.0.0.1:<port>
    QUrl url() const;

    // The answer to GET path (the query does not matter); may be changed while it runs.
    void setAnswer(const QString& path, const QByteArray& body);
    void removeAnswer(const QString& path);
    // The answer to path announces its whole length, but the connection drops after bytes.
    void cutAnswerAfter(const QString& path, qint64 bytes);

    // Every request so far: "path", "query", "user_agent", "accept".
    QList<QJsonObject> requests() const;
    // How many requests asked for path.
    int requestCount(const QString& path) const;

  private:
    QString answerFile(const QString& path) const;

    std::unique_ptr<PythonServer> m_server;
};

} // namespace ombrix::test
