#pragma once

#include <QString>

namespace ombrix::storage {

// The file-system label of the volume that holds Drive (a folder path; a missing path is looked
// up on its nearest existing parent, a missing removable medium is unreadable): "NTFS" when
// the file system keeps owners and permissions, otherwise "FAT" (also when the volume cannot
// be read). Unicode tells whether the volume could be read; names are stored as given.
void GetDriveInfo(const QString& Drive, QString& FileSystem, bool& Unicode);

// GetDriveInfo's FileSystem alone.
QString driveFileSystem(const QString& Drive);

} // namespace ombrix::storage
