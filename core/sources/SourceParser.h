#pragma once

#include "core/sources/SourceEntry.h"

#include <QDir>
#include <QString>

namespace ombrix {

// The three characters that introduce every option of a source line.
inline constexpr QLatin1StringView sourceOptionMarker("///");

// Takes one line of sources.txt apart (`textik`: the line without its line end).
//
// The path part is everything before the first `///`, each option the text between one `///`
// and the next (or the end of the line). Options are recognised by their case-sensitive start:
// `R-` alone clears includeSubdirs, `D-`, `+`, `-` and `X` add the rest of the option verbatim to
// excludedDirMasks, includeMasks, excludeMasks and noCompressMasks; anything else, an empty
// option included, is ignored. A path that itself ends in `/` (the root folder `/`) may run
// straight into a marker: of a run of slashes, the marker is always the last three of each group
// of three, so `////+*.txt` is the root folder with one include mask.
//
// A line that is empty or blanks only gives an entry with `blank` set, an empty path, empty lists
// and includeSubdirs true; callers skip it.
SourceEntry pars_source(const QString& textik);

// The path part of a line as stored (the text before its first option marker).
QString sourcePathPart(const QString& line);

// Replaces every path component that begins and ends with `%` (and names something between) by
// the value of that environment variable, empty when it is not set. Components are split at
// `separator`, empty ones included, so a leading `//` or a trailing separator stays as it is. A
// value ending in the separator does not double it when more components follow. Names of
// variables that are not set (or empty) are appended to `unset` when given.
QString expandPathVariables(const QString& path, QChar separator = QDir::separator(),
                            QStringList* unset = nullptr);

// The line for an entry, as the mask dialog writes it: the stored path part, then `///+` and
// each include mask, `///-` and each exclude mask, `///D-` and each folder mask, `///X` and
// each no-compression mask, and `///R-` when sub-folders are not included.
QString sourceLine(const SourceEntry& entry);

} // namespace ombrix
