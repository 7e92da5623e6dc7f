#include "core/app/SkyvraService.h"

#include <QtGlobal>

namespace ombrix::app {

QString skyvraFtpHost()
{
    const QString configured = qEnvironmentVariable("OMBRIX_SKYVRA_FTP_HOST");
    return configured.isEmpty() ? QStringLiteral("ftp.skyvra.example") : configured;
}

QString skyvraInfoUrl()
{
    const QString configured = qEnvironmentVariable("OMBRIX_SKYVRA_INFO_URL");
    return configured.isEmpty() ? QStringLiteral("https://www.skyvra.example") : configured;
}

} // namespace ombrix::app
