#pragma once

#include <QString>

namespace ombrix::platform {

// Putting what was written on stable storage, so a power loss after these calls cannot take it
// back: the file's data (syncFile), and the names in a folder (syncFolder: a file created or
// renamed there, a folder made there). Both answer false when the file or folder cannot be
// opened or the system reports a write error.
bool syncFile(const QString& path);
bool syncFolder(const QString& path);

// Which file or folder a path names now: its file system and its number there. A medium that was
// unmounted, or a folder deleted and made anew, gives another identity for the same path. The
// empty identity when the path cannot be asked.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool isNull() const { return device == 0 && inode == 0; }
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(const QString& path);

} // namespace ombrix::platform
