#include "storage/local/DriveInfo.h"

#include "platform/FileSystemInfo.h"

namespace ombrix::storage {

void GetDriveInfo(const QString& Drive, QString& FileSystem, bool& Unicode)
{
    const platform::VolumeInfo info = platform::volumeInfo(Drive);
    FileSystem = info.ok && info.keepsPermissions ? QStringLiteral("NTFS") : QStringLiteral("FAT");
    Unicode = info.ok;
}

QString driveFileSystem(const QString& Drive)
{
    QString fileSystem;
    bool unicode = false;
    GetDriveInfo(Drive, fileSystem, unicode);
    return fileSystem;
}

} // namespace ombrix::storage
