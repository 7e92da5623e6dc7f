#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// One line of sources.txt taken apart: the folder or file to back up and the options that narrow
// what is taken from it. Produced by pars_source(), turned back into a line by sourceLine().
struct SourceEntry
{
    // The path part exactly as written in the line (environment-variable components unexpanded);
    // this is what a rewritten line keeps.
    QString storedPath;
    // The path part with its `%VAR%` components replaced by the variables' values.
    QString path;

    QStringList includeMasks;     // `+mask`: only names matching one of these are taken
    QStringList excludeMasks;     // `-mask`: names matching one of these are skipped
    QStringList excludedDirMasks; // `D-mask`: sub-folders matching one of these are not entered
    QStringList noCompressMasks;  // `Xmask`: files matching one of these are stored as plain copies
    bool includeSubdirs = true;   // false when the line has the option `R-`

    // The line was empty or blanks only: it is no entry and selects nothing.
    bool blank = true;
    // Environment variables named by the path that are not set (or set to nothing).
    QStringList unsetVariables;
    // Why the entry cannot be used as written, empty when it can. Mask errors are not included
    // here; they show when the masks are compiled (SourceFilter).
    QString problem;
};

} // namespace ombrix
