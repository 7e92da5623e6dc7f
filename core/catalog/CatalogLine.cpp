#include "core/catalog/CatalogLine.h"

#include "core/catalog/CatalogTime.h"
#include "core/catalog/SetName.h"

namespace ombrix {

namespace {

constexpr QStringView separator = u"\";\"";
// The separators around the plain-copy marker, found 53 characters before the end. Checking
// all seven characters (not just `;"X";`) means a path ending in `;"X` is still read as a path.
constexpr QStringView markerBlock = u"\";\"X\";\"";
constexpr QStringView markerTail = u"\";\"X";

bool hasMarker(QStringView line)
{
    const qsizetype n = line.size();
    return n >= CatalogLine::plainCopyOverhead && line.sliced(n - 53, markerBlock.size()) == markerBlock;
}

} // namespace

namespace CatalogLine {

bool isPathSupported(QStringView path)
{
    if (path.isEmpty() || path.endsWith(markerTail))
        return false;
    for (const QChar c : path) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    }
    return true;
}

QString make(const QString& path, QStringView time, QStringView set, bool plainCopy)
{
    if (!isPathSupported(path) || !CatalogTime::isValid(time) || !SetName::isValid(set))
        return {};
    QString line;
    line.reserve(path.size() + (plainCopy ? plainCopyOverhead : overhead));
    line += u'"';
    line += path;
    line += separator;
    if (plainCopy)
        line += u"X\";\"";
    line += time;
    line += separator;
    line += set;
    line += u'"';
    return line;
}

bool isWellFormed(QStringView line)
{
    const qsizetype n = line.size();
    const qsizetype pathLength = n - (hasMarker(line) ? plainCopyOverhead : overhead);
    if (pathLength <= 0 || line.front() != u'"' || line.back() != u'"')
        return false;
    if (line.sliced(n - 49, 3) != separator || line.sliced(n - 27, 3) != separator)
        return false;
    return isPathSupported(line.sliced(1, pathLength)) && CatalogTime::isValid(line.sliced(n - 46, 19)) &&
           SetName::isValid(line.sliced(n - 24, 23));
}

bool replaceSet(QString& line, QStringView newSet)
{
    if (!SetName::isValid(newSet) || line.size() < overhead)
        return false;
    line.chop(SetName::length + 1);
    line += newSet;
    line += u'"';
    return true;
}

bool replaceTime(QString& line, QStringView newTime)
{
    if (!CatalogTime::isValid(newTime) || line.size() < overhead)
        return false;
    line.replace(line.size() - 46, CatalogTime::length, newTime.toString());
    return true;
}

QString compareKey(QStringView line)
{
    return (catalogField(line, Path) + catalogField(line, PlainCopy)).toLower();
}

bool isPlainCopy(QStringView line)
{
    return hasMarker(line);
}

} // namespace CatalogLine

QString catalogField(QStringView line, int field)
{
    const qsizetype n = line.size();
    if (n < CatalogLine::overhead)
        return field == CatalogLine::PlainCopy ? QStringLiteral("0") : QString();
    switch (field) {
    case CatalogLine::Path:
        return line.sliced(1, n - (hasMarker(line) ? CatalogLine::plainCopyOverhead : CatalogLine::overhead))
            .toString();
    case CatalogLine::Time:
        return line.sliced(n - 46, 19).toString();
    case CatalogLine::Set:
        return line.sliced(n - 24, SetName::length).toString();
    case CatalogLine::PlainCopy:
        return hasMarker(line) ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return {};
    }
}

} // namespace ombrix
