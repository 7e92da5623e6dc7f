#include "notify/SkyvraInfo.h"

#include "core/app/SkyvraService.h"
#include "core/text/TextFile.h"
#include "core/util/Md5.h"
#include "notify/UpdateHttpClient.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>

namespace ombrix {

QString skyvraInfoRequest(const QString& username, const QString& password)
{
    return QStringLiteral("/getSkyvraInfo.php?user=") +
           QString::fromLatin1(QUrl::toPercentEncoding(username)) + QStringLiteral("&pass=") + MD5(password);
}

QString get_skyvra_info(const QString& username, const QString& password)
{
    // The same verified HTTPS client the update check uses; an http:// address is refused.
    const UpdateHttpClient client{QUrl(app::skyvraInfoUrl())};
    QByteArray body;
    if (!client.get(skyvraInfoRequest(username, password), &body) || body.isEmpty())
        return QString();
    const QStringList lines = TextFile::decodeLines(body);
    return lines.isEmpty() ? QString() : lines.first();
}

} // namespace ombrix
