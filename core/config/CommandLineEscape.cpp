#include "core/config/CommandLineEscape.h"

namespace ombrix {

QString escapeCommandLine(const QString& commandLine)
{
    QString stored = commandLine;
    stored.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    return stored;
}

QString unescapeCommandLine(const QString& stored)
{
    QString commandLine = stored;
    commandLine.replace(QStringLiteral("\\\\\""), QStringLiteral("\""));
    return commandLine;
}

} // namespace ombrix
