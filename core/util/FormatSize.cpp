#include "core/util/FormatSize.h"

#include <cmath>
#include <QLocale>

namespace ombrix {

namespace {

constexpr double kilo = 1024.0;
constexpr double mega = 1024.0 * 1024.0;
constexpr double giga = 1024.0 * 1024.0 * 1024.0;

// value already cut to one decimal: whole numbers without decimals, others with one.
QString shortest(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double whole = std::trunc(value);
    if (whole == value)
        return locale.toString(whole, 'f', 0);
    return locale.toString(value, 'f', 1);
}

// trunc(units * 10) / 10, kept exact in tenths so 1.4 is not printed from 1.3999...
QString tenths(double units)
{
    return shortest(std::trunc(units * 10.0) / 10.0);
}

} // namespace

QString formatSize(double bytes)
{
    if (!std::isfinite(bytes) || bytes < 0)
        bytes = 0;
    if (bytes > giga)
        return tenths(bytes / kilo / kilo / kilo) + QStringLiteral(" GB");
    if (bytes > mega)
        return tenths(bytes / kilo / kilo) + QStringLiteral(" MB");
    if (bytes > kilo)
        return tenths(bytes / kilo) + QStringLiteral(" kB");
    return shortest(std::trunc(bytes / 100.0) * 100.0) + QStringLiteral(" B");
}

} // namespace ombrix
