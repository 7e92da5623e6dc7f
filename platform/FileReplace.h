#pragma once

#include <QString>

namespace ombrix::platform {

// Puts the file source in the place of target in one rename, so target names either the old
// file or the whole new one, never a part. Both must lie on one file system. A folder at target
// is never replaced (only a file, or a link, is).
bool replaceByRename(const QString& source, const QString& target);

} // namespace ombrix::platform
