#include "support/SmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace ombrix::test {

namespace {

QJsonObject readObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

SmtpServer::SmtpServer(const Options& options)
{
    QStringList arguments = {QStringLiteral("--dir"), QStringLiteral("mail")};
    if (options.security == Security::StartTls)
        arguments << QStringLiteral("--starttls") << options.certificateFile << options.keyFile;
    if (options.security == Security::Smtps)
        arguments << QStringLiteral("--smtps") << options.certificateFile << options.keyFile;
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--login") << options.user + QLatin1Char(':') + options.password;
    for (const QString& address : options.rejected)
        arguments << QStringLiteral("--reject") << address;
    if (options.silent)
        arguments << QStringLiteral("--silent");
    m_server = std::make_unique<PythonServer>(QStringLiteral("smtp_server.py"), arguments);
}

QList<QJsonObject> SmtpServer::messages() const
{
    QList<QJsonObject> found;
    for (int number = 1;; ++number) {
        const QString path = m_server->file(QStringLiteral("mail/%1.json").arg(number));
        if (!QFile::exists(path))
            break;
        found.append(readObject(path));
    }
    return found;
}

QList<QJsonObject> SmtpServer::events() const
{
    QList<QJsonObject> found;
    QFile file(m_server->file(QStringLiteral("mail/events.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            found.append(QJsonDocument::fromJson(line).object());
    }
    return found;
}

QStringList SmtpServer::eventNames() const
{
    QStringList names;
    for (const QJsonObject& event : events())
        names.append(event.value(QStringLiteral("event")).toString());
    return names;
}

} // namespace ombrix::test
