#pragma once

#include <QString>

namespace ombrix {

// Reading one line of a detailed server listing. Two forms are understood:
// - the machine form of MLSD: facts "name=value;" then a space and the entry name
//   ("type=file;size=1234;modify=20140305210709; a.txt.718.7z"), recognised by one of the facts
//   "type=dir;", "type=file;", "type=cdir;" or "type=pdir;" (exact, case-sensitive);
// - the Unix long listing: permissions, links, owner, group, size, month, day, time or year,
//   name, separated by runs of spaces (or no-break spaces).
//
// fact is "type" ("file", "dir" or empty), "size" (the digits of the size) or "FileName" (the
// entry's name, spaces inside kept), compared without regard to case; any other fact gives an
// empty text. out is always set, never fails: a line of another form reads as a file with
// whatever stands in the size and name columns.
void parseListingLine(const QString& line, const QString& fact, QString& out);

// The same, returning the fact's text.
QString listingFact(const QString& line, const QString& fact);

} // namespace ombrix
