#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ombrix::platform {

// What the system says about the volume that holds a path.
struct VolumeInfo
{
    bool ok = false;               // the volume could be queried
    bool keepsPermissions = false; // owners and permissions are stored (ext4, xfs, btrfs, tmpfs, ...)
    quint64 fileSystemMagic = 0;   // the kernel's identifier of the file-system type
    quint64 bytesFree = 0;         // free to an unprivileged user
    quint64 bytesTotal = 0;
};

// Queries the volume of path. A path that does not exist is looked up on the volume of its
// nearest existing parent, but never above a removable-media mount root: a missing medium
// gives ok = false rather than the file system the empty mount folder sits on.
VolumeInfo volumeInfo(const QString& path);

// Whether a file-system type identifier stands for a file system that keeps owners and
// permissions. vfat, exfat, FUSE and anything unknown do not.
bool keepsPermissions(quint64 fileSystemMagic);

// The removable-storage root a path lies on: "/media/USER/LABEL", "/run/media/USER/LABEL",
// "/mnt/NAME", or a drive prefix such as "C:"; empty for paths on the system's own folders.
QString storageRoot(const QString& path);

// Whether the storage with this root is attached: the folder exists and is either a mount
// point or has something in it (an unmounted medium leaves an empty folder behind, or none).
// A drive prefix such as "C:" is present when it names an existing folder.
bool storagePresent(const QString& root);

// True when folder is a mount point (another file system starts there).
bool isMountPoint(const QString& folder);

} // namespace ombrix::platform
