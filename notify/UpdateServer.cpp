#include "notify/UpdateServer.h"

#include <QByteArray>

namespace ombrix::UpdateServer {

QUrl address()
{
    const QString configured = qEnvironmentVariable("OMBRIX_UPDATE_URL");
    return QUrl(configured.isEmpty() ? QStringLiteral("https://update.ombrix.cz") : configured);
}

QString versionRequest(const QString& runningVersion, const QString& destination)
{
    // Both values are plain words (digits and dots, DIR/FTP/SKYVRA); they are escaped anyway so a
    // hand-edited config.ini cannot change the request.
    return QStringLiteral("/verze_info.php?verze=") +
           QString::fromLatin1(QUrl::toPercentEncoding(runningVersion)) + QStringLiteral("&destination=") +
           QString::fromLatin1(QUrl::toPercentEncoding(destination));
}

QString checksumRequest()
{
    return QStringLiteral("/crc_info.php");
}

QString downloadRequest(const QString& newestVersion)
{
    return QStringLiteral("/sendfile.php?file=download/ombrix.") +
           QString::fromLatin1(QUrl::toPercentEncoding(newestVersion)) +
           QStringLiteral("&name=ombrix.exe&save&crc");
}

} // namespace ombrix::UpdateServer
