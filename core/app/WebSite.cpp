#include "core/app/WebSite.h"

#include <QtGlobal>

namespace ombrix::app {

QString webSite()
{
    const QString configured = qEnvironmentVariable("OMBRIX_WEB_SITE");
    return configured.isEmpty() ? QStringLiteral("https://www.ombrix.example") : configured;
}

} // namespace ombrix::app
