#pragma once

#include <QString>
#include <QStringView>

namespace ombrix {

// One line of archivlist.csv / recoverylist.csv:
//   "PATH";"TIME";"SET"         (file archived as PATH-name.7z)
//   "PATH";"X";"TIME";"SET"     (file stored as a plain copy)
// TIME is 19 characters, SET 23, so a line is 50 (plain copy: 54) characters longer than its
// path. Every field is found by counting from the end of the line; the path needs no quoting
// or escaping whatever it contains.
namespace CatalogLine {

enum Field
{
    Path = 1,
    Time = 2,
    Set = 3,
    PlainCopy = 4
};

inline constexpr qsizetype overhead = 50;
inline constexpr qsizetype plainCopyOverhead = 54;

// Whether a path can be recorded so that it reads back unchanged: not empty, no line break or
// NUL (the file is line-based), and not ending in `";"X` (which would read as a plain-copy
// marker). Only the last can be written on Linux at all; such files are reported as not
// archived rather than recorded wrongly.
bool isPathSupported(QStringView path);

// Builds a line from its pieces; empty when the path is not supported, the time is not a
// catalog time or the set is not a set name.
QString make(const QString& path, QStringView time, QStringView set, bool plainCopy);

// A line with the full layout: quotes and separators in place, a catalog time, a set name and
// a non-empty path. Readers do not require it; it is for callers that want to reject damage.
bool isWellFormed(QStringView line);

// Puts another set name into a line: the last 24 characters (set and closing quote) are cut
// and the new name and a quote appended. False, with the line unchanged, when the name is not
// a valid set name or the line is shorter than the fixed part of a line.
bool replaceSet(QString& line, QStringView newSet);

// Puts another catalog time into a line (the 19 characters that start 46 before the end). False,
// with the line unchanged, when the time is not a catalog time or the line is too short.
bool replaceTime(QString& line, QStringView newTime);
// The key the change analysis compares lines by: lower-case of path followed by "1"/"0".
QString compareKey(QStringView line);

bool isPlainCopy(QStringView line);

} // namespace CatalogLine

// Reads field 1-4 of a catalog line: 1 path, 2 time, 3 set name, 4 "1"/"0" for the plain-copy
// marker. Lines shorter than the fixed part give empty fields ("0" for field 4), an unknown
// field number gives an empty string; nothing is validated beyond that. The reader does not
// pump window messages: it stays pure and fast for loops over 100,000+ lines, and loops that
// read a catalog call Host::pump() themselves.
QString catalogField(QStringView line, int field);

} // namespace ombrix
