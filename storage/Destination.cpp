#include "storage/Destination.h"

namespace ombrix {

QString destinationKindText(DestinationKind kind)
{
    switch (kind) {
    case DestinationKind::Ftp:
        return QStringLiteral("FTP");
    case DestinationKind::Skyvra:
        return QStringLiteral("SKYVRA");
    case DestinationKind::Dir:
        break;
    }
    return QStringLiteral("DIR");
}

DestinationKind destinationKindFromText(const QString& text)
{
    if (text == QLatin1String("FTP"))
        return DestinationKind::Ftp;
    if (text == QLatin1String("SKYVRA"))
        return DestinationKind::Skyvra;
    return DestinationKind::Dir;
}

} // namespace ombrix
