#pragma once

#include <QString>

namespace ombrix {

// PROGRAM_BB and PROGRAM_AB hold command lines. The store reads a value enclosed in quotes
// without them, so a line like "C:\x.exe" "a b" would lose characters; every double quote is
// therefore stored as the three characters \\" and turned back when read. Apostrophes are kept as
// typed, so a line that the store would read without its enclosing pair (one in apostrophes such
// as '/opt/my tools/pre.sh', blanks around it aside) is stored in one more pair of double quotes,
// which the store strips instead; a stored line never begins with a bare double quote otherwise.
// The pair is exact: unescapeCommandLine(escapeCommandLine(t)) == t for every t, and so is
// unescapeCommandLine of what the store reads back after writing escapeCommandLine(t), blanks
// around the whole line aside (the store drops them, and they mean nothing to a command line).

// The field text as it is written to the file.
QString escapeCommandLine(const QString& commandLine);
// The stored value as it is shown in the field again: the value as the store read it, or the
// value as written when nothing stripped the enclosing pair.
QString unescapeCommandLine(const QString& stored);

} // namespace ombrix
