#include "notify/UpdateHttpClient.h"

#include "notify/IgnoreBrokenPipe.h"
#include "notify/TlsContext.h"

#include <exception>
#include <istream>
#include <Poco/Exception.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/Net/HTTPSClientSession.h>
#include <Poco/Timespan.h>
#include <QFile>
#include <vector>

namespace ombrix {

namespace {

constexpr std::streamsize readBlock = 64 * 1024;

Poco::Timespan timespanOf(int ms)
{
    return Poco::Timespan(Poco::Timespan::TimeDiff(ms) * 1000);
}

// Reads the whole body in blocks, handing each to write; false when the body breaks off (a
// timeout or a dropped connection while reading), exceeds limit, is shorter than its announced
// length, or write refuses a block.
bool readBody(std::istream& body, qint64 length, qint64 limit,
              const std::function<bool(const char* data, qint64 size)>& write, QString* error)
{
    std::vector<char> block(static_cast<std::size_t>(readBlock));
    qint64 total = 0;
    while (true) {
        body.read(block.data(), readBlock);
        const std::streamsize got = body.gcount();
        if (got > 0) {
            total += got;
            if (total > limit) {
                *error = QStringLiteral("the answer is larger than expected");
                return false;
            }
            if (!write(block.data(), got)) {
                *error = QStringLiteral("the answer cannot be stored");
                return false;
            }
        }
        if (!body)
            break;
    }
    if (body.bad() || !body.eof()) {
        *error = QStringLiteral("the answer broke off");
        return false;
    }
    if (length >= 0 && total != length) {
        *error = QStringLiteral("the answer is shorter than announced");
        return false;
    }
    return true;
}

} // namespace

UpdateHttpClient::UpdateHttpClient(QUrl server, int timeoutMs)
    : m_server(std::move(server)), m_timeoutMs(timeoutMs > 0 ? timeoutMs : defaultTimeoutMs)
{
}

bool UpdateHttpClient::get(const QString& request, QByteArray* body) const
{
    QByteArray received;
    const bool ok = fetch(request, [this, &received](std::istream& stream, qint64 length) {
        return readBody(
            stream, length, maxAnswerBytes,
            [&received](const char* data, qint64 size) {
                received.append(data, size);
                return true;
            },
            &m_lastError);
    });
    if (ok)
        *body = received;
    return ok;
}

bool UpdateHttpClient::download(const QString& request, const QString& file) const
{
    QFile target(file);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_lastError = target.errorString();
        return false;
    }
    bool ok = fetch(request, [this, &target](std::istream& stream, qint64 length) {
        return readBody(
            stream, length, maxDownloadBytes,
            [&target](const char* data, qint64 size) { return target.write(data, size) == size; },
            &m_lastError);
    });
    if (ok && !target.flush()) {
        m_lastError = target.errorString();
        ok = false;
    }
    target.close();
    if (!ok)
        target.remove();
    return ok;
}

bool UpdateHttpClient::fetch(const QString& request,
                             const std::function<bool(std::istream& body, qint64 length)>& sink) const
{
    m_lastError.clear();
    if (m_server.scheme() != QLatin1String("https") || m_server.host().isEmpty()) {
        m_lastError = QStringLiteral("not an https address: ") + m_server.toString();
        return false;
    }
    try {
        ignoreBrokenPipe();
        const std::string host = m_server.host(QUrl::FullyEncoded).toStdString();
        const auto port = static_cast<Poco::UInt16>(m_server.port(443));
        Poco::Net::HTTPSClientSession session(host, port, verifiedClientContext());
        const Poco::Timespan timeout = timespanOf(m_timeoutMs);
        session.setTimeout(timeout, timeout, timeout);

        QString prefix = m_server.path(QUrl::FullyEncoded);
        while (prefix.endsWith(u'/'))
            prefix.chop(1);
        Poco::Net::HTTPRequest httpRequest(Poco::Net::HTTPRequest::HTTP_GET, (prefix + request).toStdString(),
                                           Poco::Net::HTTPMessage::HTTP_1_1);
        httpRequest.set("Accept", "text/html, */*");
        httpRequest.set("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
        session.sendRequest(httpRequest);

        Poco::Net::HTTPResponse response;
        std::istream& body = session.receiveResponse(response);
        if (response.getStatus() != Poco::Net::HTTPResponse::HTTP_OK) {
            m_lastError = QStringLiteral("HTTP ") + QString::number(int(response.getStatus())) + u' ' +
                          QString::fromStdString(response.getReason());
            return false;
        }
        const qint64 length = response.hasContentLength() ? qint64(response.getContentLength64()) : -1;
        return sink(body, length);
    } catch (const Poco::Exception& e) {
        m_lastError = QString::fromStdString(e.displayText()).simplified();
    } catch (const std::exception& e) {
        m_lastError = QString::fromLocal8Bit(e.what()).simplified();
    }
    return false;
}

} // namespace ombrix
