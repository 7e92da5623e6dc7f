#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// The command line a user types into the program-before-backup and program-after-backup fields.
namespace UserCommandLine {

// Splits the text into the program part and the parameter part. A name that starts with a
// double quote or an apostrophe runs up to the next same quote, both quotes kept, and the
// parameters are everything after it (the space that follows included); otherwise the name ends
// at the first space and the parameters follow that space.
void ExtractFileAndParameters(const QString& filename, QString& nameonly, QString& parameters);

// The program to start from a name part: its enclosing quotes removed.
QString programFromName(const QString& nameonly);

// The parameter part as an argument list, read the way a POSIX shell reads words but with no
// expansion at all: blanks separate arguments; '...' is literal; "..." keeps everything but lets
// a backslash escape " \ $ and `; a backslash outside quotes escapes the next character. "$HOME",
// "*" and "~" stay as typed. An unclosed quote runs to the end of the text.
QStringList splitArguments(const QString& parameters);

} // namespace UserCommandLine
} // namespace ombrix
