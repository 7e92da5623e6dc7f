#include "ui/settings/WebLinks.h"

#include <QString>
#include <QUrlQuery>

namespace ombrix::ui {

namespace {

QString fromEnvironment(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

} // namespace

QUrl makerWebSite()
{
    return QUrl(fromEnvironment("OMBRIX_WEB_URL", QStringLiteral("https://www.ombrix.cz/")));
}

QUrl contactMail()
{
    return QUrl(QStringLiteral("mailto:") +
                fromEnvironment("OMBRIX_CONTACT_MAIL", QStringLiteral("info@ombrix.cz")));
}

QUrl skyvraWebPage()
{
    QUrl url(fromEnvironment("OMBRIX_SKYVRA_WEB_URL", QStringLiteral("https://www.skyvra.cz/")));
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("from"), QStringLiteral("ombrix"));
    url.setQuery(query);
    return url;
}

QString skyvraServiceName()
{
    return QStringLiteral("Skyvra");
}

} // namespace ombrix::ui
