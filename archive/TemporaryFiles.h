#pragma once

#include <QString>

namespace ombrix {

// Deletes every "*.tmp" file of the program folder (archiver outputs, temporary archives,
// downloads of earlier steps). Done in process: no shell, no pattern expansion, folders and
// hidden files left alone. Returns how many files were deleted.
int deleteTemporaryFiles();
// The same for another folder (tests, callers that keep work files elsewhere).
int deleteTemporaryFiles(const QString& folder);

} // namespace ombrix
