#include "core/util/VersionCompare.h"

#include "core/text/SimpleSplit.h"

#include <QStringList>

namespace ombrix {

namespace {

qint64 partValue(const QStringList& parts, qsizetype index)
{
    if (index >= parts.size())
        return 0;
    const QString part = parts.at(index).trimmed();
    if (part.isEmpty())
        return 0;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const qint64 value = part.toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

int VersionCompare(const QString& s1, const QString& s2)
{
    const QString dot = QStringLiteral(".");
    const QStringList parts1 = simpleSplit(s1, dot);
    const QStringList parts2 = simpleSplit(s2, dot);
    for (qsizetype i = 0; i < parts1.size(); ++i) {
        const qint64 a = partValue(parts1, i);
        const qint64 b = partValue(parts2, i);
        if (a < b)
            return -1;
        if (a > b)
            return 1;
    }
    return 0;
}

} // namespace ombrix
