#pragma once

#include <functional>
#include <iosfwd>
#include <QByteArray>
#include <QString>
#include <QUrl>

namespace ombrix {

// The update check's own HTTP client (the window's thread has its own for the network disk):
// GET requests to the update server over HTTPS only, with the server's certificate verified
// (TLS 1.2 or later, the system's trust store, the host name), and a timeout on connecting and
// on every read and write. A plain http:// address is refused, nothing is sent there. Only an
// answer "200 OK" counts, and a body shorter than its announced length is a failure. Nothing is
// thrown.
class UpdateHttpClient
{
  public:
    static constexpr int defaultTimeoutMs = 20000;
    // The version and checksum answers are one short line; anything larger is no such answer.
    static constexpr qint64 maxAnswerBytes = 64 * 1024;
    static constexpr qint64 maxDownloadBytes = qint64(1) << 30;

    explicit UpdateHttpClient(QUrl server, int timeoutMs = defaultTimeoutMs);

    // The body of the answer to request (a path with its query, below the server's address).
    bool get(const QString& request, QByteArray* body) const;
    // The body written to file (created or replaced); on failure the file is removed.
    bool download(const QString& request, const QString& file) const;

    // Why the last request failed; empty after a success.
    const QString& lastError() const { return m_lastError; }

  private:
    // Sends the request and hands the body of a "200 OK" answer, with its announced length (-1
    // when none), to sink.
    bool fetch(const QString& request,
               const std::function<bool(std::istream& body, qint64 length)>& sink) const;

    QUrl m_server;
    int m_timeoutMs;
    mutable QString m_lastError;
};

} // namespace ombrix
