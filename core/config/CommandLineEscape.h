#pragma once

#include <QString>

namespace ombrix {

// PROGRAM_BB and PROGRAM_AB hold command lines. The store reads a value enclosed in quotes
// without them, so a line like "C:\x.exe" "a b" would lose characters; every double quote is
// therefore stored as the three characters \\" and turned back when read. The pair is exact:
// unescapeCommandLine(escapeCommandLine(t)) == t for every t.

// The field text as it is written to the file.
QString escapeCommandLine(const QString& commandLine);
// The stored value as it is shown in the field again.
QString unescapeCommandLine(const QString& stored);

} // namespace ombrix
