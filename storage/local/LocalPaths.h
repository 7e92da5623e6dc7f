#pragma once

#include <QString>

namespace ombrix::storage {

// The long-path form of a local path. Paths here have no length prefix to add (the helpers
// below reach any depth by themselves), so the path comes back unchanged; callers still pass
// paths through it so every file-system call reads the same way.
QString AppendUNC(const QString& filik);

// True when soubor names a regular file (a link is followed). Folders, devices and pipes do not
// count. Paths longer than the system's path-length limit are resolved one level at a time.
bool FileExists2(const QString& soubor);

// True when path names a folder (a link is followed), at any path length.
bool DirectoryExists2(const QString& path);

// Creates the folder with every missing parent and returns whether it exists afterwards.
// Nothing is created below the root of a removable medium that is not attached (no medium
// mounted there, platform::absentStorageOf), so a backup never fills the system disk through the
// mount folder an absent medium leaves behind.
bool forceLocalDir(const QString& path);

} // namespace ombrix::storage
