#include "platform/FileSystemInfo.h"

#include "platform/DirectoryTree.h"

#include <climits>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

namespace ombrix::platform {

namespace {

// File systems that store owners and permissions with every file. Kernel magic numbers.
constexpr quint64 permissionKeepingTypes[] = {
    0xEF53,     // ext2, ext3, ext4
    0x58465342, // xfs
    0x9123683E, // btrfs
    0x01021994, // tmpfs
    0x858458F6, // ramfs
    0x2FC12FC1, // zfs
    0xF2F52010, // f2fs
    0x3153464A, // jfs
    0x52654973, // reiserfs
    0xCA451A4E, // bcachefs
    0x3434,     // nilfs2
    0x7461636F, // ocfs2
    0x01161970, // gfs2
    0x794C7630, // overlayfs
    0x6969,     // nfs
    0xFF534D42, // cifs
    0xFE534D42, // smb2/smb3
    0x00C36400, // ceph
    0x5346544E, // ntfs3 (the kernel's own NTFS driver)
    0xF15F,     // ecryptfs
    0x6E736673, // nsfs
    0x73717368, // squashfs
};

// The folder the volume query is made on: path itself or its nearest existing parent, but not
// past the root of a removable medium (empty when the medium is missing).
QString existingFolderFor(const QString& path)
{
    const QString root = storageRoot(path);
    if (!root.isEmpty() && !storagePresent(root))
        return {};
    if (path.startsWith(QLatin1Char('\\')))
        return {}; // a network path in the other system's notation names no local volume
    QString current = QDir::cleanPath(path);
    while (DirectoryTree::targetKindOf(current) == DirectoryTree::Kind::Missing ||
           QFile::encodeName(current).size() >= PATH_MAX - 1) {
        const int cut = current.lastIndexOf(QLatin1Char('/'));
        if (current == root || cut < 0 || current == QLatin1String("/"))
            return {}; // nothing of a relative path exists: it names no volume of its own
        current = cut == 0 ? QStringLiteral("/") : current.left(cut);
    }
    return current;
}

} // namespace

bool keepsPermissions(quint64 fileSystemMagic)
{
    for (quint64 magic : permissionKeepingTypes) {
        if (magic == fileSystemMagic)
            return true;
    }
    return false;
}

VolumeInfo volumeInfo(const QString& path)
{
    VolumeInfo info;
    if (path.trimmed().isEmpty() || path.contains(QChar(0)))
        return info;
    const QString folder = existingFolderFor(path);
    if (folder.isEmpty())
        return info;
    const QByteArray bytes = QFile::encodeName(folder);
    struct statfs fs;
    if (::statfs(bytes.constData(), &fs) != 0)
        return info;
    info.ok = true;
    info.fileSystemMagic = quint64(static_cast<unsigned long>(fs.f_type)) & 0xFFFFFFFFu;
    info.keepsPermissions = keepsPermissions(info.fileSystemMagic);
    struct statvfs vfs;
    if (::statvfs(bytes.constData(), &vfs) == 0) {
        info.bytesFree = quint64(vfs.f_bavail) * quint64(vfs.f_frsize);
        info.bytesTotal = quint64(vfs.f_blocks) * quint64(vfs.f_frsize);
    }
    return info;
}

QString storageRoot(const QString& path)
{
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        return path.left(2);
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    const QStringList parts = QDir::cleanPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    auto join = [&parts](int count) { return QLatin1Char('/') + parts.mid(0, count).join(QLatin1Char('/')); };
    if (parts.size() >= 3 && parts.at(0) == QLatin1String("media"))
        return join(3);
    if (parts.size() >= 4 && parts.at(0) == QLatin1String("run") && parts.at(1) == QLatin1String("media"))
        return join(4);
    if (parts.size() >= 2 && parts.at(0) == QLatin1String("mnt"))
        return join(2);
    return {};
}

bool isMountPoint(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    // The kernel says so directly where it can (this also finds bind mounts, which share the
    // device number of their parent).
    struct statx sx;
    if (::statx(AT_FDCWD, QFile::encodeName(clean).constData(), 0, STATX_TYPE, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        return S_ISDIR(sx.stx_mode) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct stat self;
    struct stat parent;
    if (::stat(QFile::encodeName(clean).constData(), &self) != 0 || !S_ISDIR(self.st_mode))
        return false;
    if (clean == QLatin1String("/"))
        return true;
    const QString up = clean.section(QLatin1Char('/'), 0, -2);
    if (::stat(QFile::encodeName(up.isEmpty() ? QStringLiteral("/") : up).constData(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev;
}

bool storagePresent(const QString& root)
{
    if (root.isEmpty())
        return false;
    const QFileInfo info(root);
    if (!info.isDir())
        return false;
    if (root.size() == 2 && root.at(1) == QLatin1Char(':'))
        return true;
    // The folders from the media base down to the root: "/mnt", "/mnt/NAME"; "/media",
    // "/media/USER", "/media/USER/LABEL"; "/run/media", "/run/media/USER", "/run/media/USER/LABEL".
    // Any other root is only itself.
    const QStringList parts = QDir::cleanPath(root).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    int baseLength = parts.size();
    if (storageRoot(root) == QDir::cleanPath(root)) {
        if (parts.at(0) == QLatin1String("run"))
            baseLength = 2;
        else
            baseLength = 1;
    }
    for (int length = baseLength; length <= parts.size(); ++length) {
        if (isMountPoint(QLatin1Char('/') + parts.mid(0, length).join(QLatin1Char('/'))))
            return true;
    }
    return false;
}

QString absentStorageOf(const QString& path)
{
    const QString root = storageRoot(path);
    if (root.isEmpty() || storagePresent(root))
        return {};
    return root;
}

} // namespace ombrix::platform
