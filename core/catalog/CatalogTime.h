#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

namespace ombrix {

// The time field of a catalog line: "yyyy-mm-dd-hh-nn-ss", 19 characters, in the two-second
// resolution of the archive date format (the seconds are always even).
namespace CatalogTime {

inline constexpr qsizetype length = 19;
inline constexpr int firstYear = 1980;
inline constexpr int lastYear = 2107;

// A last-write time (in any time zone; taken as the moment it denotes) shown at a fixed offset
// from UTC: the offset in force when the program started, minus one hour when
// subtractDaylightHour (folder scans while daylight time was on at start). Using the offset
// of the start rather than the file's own date keeps recorded times stable across daylight
// changes. Seconds are rounded down to even. Empty when the time is invalid or the shifted
// year lies outside 1980-2107, which the format cannot hold.
QString fromFileTime(const QDateTime& lastWrite, int utcOffsetSeconds, bool subtractDaylightHour);

// True for text of the exact shape 9999-99-99-99-99-99 that names a real date and time.
bool isValid(QStringView time);

// A file whose last write was too recent when it was read (a change right after the read could
// carry the same recorded time) or that changed while it was read is recorded with this time:
// the recorded one with an odd second, which no scan produces. The next run then sees the file
// as changed and archives it again. A time that is not valid comes back unchanged.
QString unsettled(QStringView time);

} // namespace CatalogTime
} // namespace ombrix
