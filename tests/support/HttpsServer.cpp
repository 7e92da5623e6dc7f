#include "support/HttpsServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace ombrix::test {

HttpsServer::HttpsServer(const QString& certificateFile, const QString& keyFile)
{
    m_server = std::make_unique<PythonServer>(QStringLiteral("https_server.py"),
                                              QStringList{QStringLiteral("--root"), QStringLiteral("root"),
                                                          QStringLiteral("--cert"), certificateFile,
                                                          QStringLiteral("--key"), keyFile});
    QDir(m_server->folder()).mkpath(QStringLiteral("root"));
}

QUrl HttpsServer::url() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_server->port()));
}

QString HttpsServer::answerFile(const QString& path) const
{
    QString name = path;
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('.'), QLatin1Char('_'));
    return m_server->file(QStringLiteral("root/") + name);
}

void HttpsServer::setAnswer(const QString& path, const QByteArray& body)
{
    // Whole or not at all: the server may be reading it right now.
    QSaveFile file(answerFile(path));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(body);
        file.commit();
    }
}

void HttpsServer::removeAnswer(const QString& path)
{
    QFile::remove(answerFile(path));
    QFile::remove(answerFile(path) + QStringLiteral(".cut"));
}

void HttpsServer::cutAnswerAfter(const QString& path, qint64 bytes)
{
    QSaveFile file(answerFile(path) + QStringLiteral(".cut"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::number(bytes));
        file.commit();
    }
}

QList<QJsonObject> HttpsServer::requests() const
{
    QList<QJsonObject> found;
    QFile file(m_server->file(QStringLiteral("root/requests.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            found.append(QJsonDocument::fromJson(line).object());
    }
    return found;
}

int HttpsServer::requestCount(const QString& path) const
{
    int count = 0;
    for (const QJsonObject& request : requests()) {
        if (request.value(QStringLiteral("path")).toString() == path)
            ++count;
    }
    return count;
}

} // namespace ombrix::test
