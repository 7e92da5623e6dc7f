#pragma once

#include <functional>
#include <QString>
#include <QStringList>

namespace ombrix::storage {

// What the file-system warning of the backup and restore pages is decided from: the live
// values of the page controls and the source list.
struct FileSystemWarningInput
{
    QString destinationFolder;            // text of the destination-folder field
    QString destinationType;              // "DIR", "FTP" or "SKYVRA"
    bool folderDestinationChosen = false; // the choice "Místní / síťová složka" is selected
    bool restoreToOriginal = true;        // "Obnovit data na původní místo" is ticked
    QString restoreFolder;                // text of the restore-folder field
    QString currentDir;                   // the program's current directory
    QString sourcesFile;                  // sources.txt; empty means the program folder's
};

// Which of the two warnings "Cílové zařízení má starší filesystém než zdrojové zařízení" to show.
struct FileSystemWarnings
{
    bool backupWarning = false;  // destination older than the sources
    bool restoreWarning = false; // restore target older, shown only when the backup one is not
};

// The file-system label ("NTFS" or "FAT") of the volume holding a path.
using FileSystemQuery = std::function<QString(const QString& path)>;

// Decides both warnings. A source line counts through the volume that holds its path (its
// options cut off, %VAR% components replaced); network paths beginning with "\\" never count.
// Nothing here reports an error: whatever cannot be read counts as "FAT".
FileSystemWarnings check_filesystems(const FileSystemWarningInput& input,
                                     const FileSystemQuery& fileSystemOf = {});

// The path part of one source line as the warning looks it up (empty for lines that name no
// local volume).
QString sourceLineVolumePath(const QString& line);

} // namespace ombrix::storage
