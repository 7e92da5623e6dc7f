#include "core/util/FormatDuration.h"

namespace ombrix {

QString formatDuration(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const qint64 rest = seconds % 60;
    const QLatin1Char zero('0');
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, zero).arg(rest, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, zero);
}

} // namespace ombrix
