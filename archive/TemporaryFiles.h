#pragma once

#include <QString>

namespace ombrix {

// Deletes every "*.tmp" file of the program folder (archiver outputs, temporary archives,
// downloads of earlier steps, the archiver's work files of a killed run) and the staging folders
// ".ombrix-extract-*" a killed extraction left there. Done in process: no shell, no pattern
// expansion, other folders and links left alone. Returns how many entries were deleted.
int deleteTemporaryFiles();
// The same for another folder (tests, callers that keep work files elsewhere).
int deleteTemporaryFiles(const QString& folder);
// Removes the staging folders ".ombrix-extract-*" that extractions cut off by a crash left
// directly in folder (the extractor makes them beside the file it writes). Returns how many.
int removeExtractionStaging(const QString& folder);

} // namespace ombrix
