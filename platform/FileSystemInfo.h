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

// Whether the storage with this root is attached, decided by whether a medium is mounted there:
// the folder exists and a file system is mounted at it, or at a folder between it and the
// removable-media base ("/mnt", "/media", "/run/media"), as when a disk mounted at /mnt holds the
// folder /mnt/NAME. What the folder holds does not count: an unmounted medium leaves its mount
// folder behind, empty or not, on the system's own disk. A drive prefix such as "C:" is present
// when it names an existing folder.
bool storagePresent(const QString& root);

// The one rule for folders on removable media, shared by the readiness check, the scan of the
// sources and every folder the program creates: the storage root path lies on when that storage
// is not attached (storagePresent is false), else empty (also for paths on no such root).
QString absentStorageOf(const QString& path);

// True when folder is a mount point (another file system, or a bind mount, starts there).
bool isMountPoint(const QString& folder);

} // namespace ombrix::platform
