#include "storage/local/FileSystemWarning.h"

#include "core/text/TextFile.h"
#include "platform/ProgramFolder.h"
#include "storage/local/DriveInfo.h"
#include "storage/local/LocalPaths.h"

namespace ombrix::storage {

namespace {

const QString fat = QStringLiteral("FAT");
const QString ntfs = QStringLiteral("NTFS");

} // namespace

QString sourceLineVolumePath(const QString& line)
{
    const QString pathPart = line.section(QStringLiteral("///"), 0, 0);
    if (pathPart.trimmed().isEmpty() || pathPart.startsWith(QLatin1String("\\\\")))
        return {};
    QStringList parts = pathPart.split(QLatin1Char('/'));
    for (QString& part : parts) {
        if (part.size() >= 2 && part.startsWith(QLatin1Char('%')) && part.endsWith(QLatin1Char('%')))
            part = qEnvironmentVariable(part.mid(1, part.size() - 2).toLocal8Bit().constData());
    }
    const QString path = parts.join(QLatin1Char('/'));
    return path.trimmed().isEmpty() ? QString() : path;
}

FileSystemWarnings check_filesystems(const FileSystemWarningInput& input, const FileSystemQuery& fileSystemOf)
{
    FileSystemWarnings result;
    const FileSystemQuery query = fileSystemOf ? fileSystemOf : FileSystemQuery(driveFileSystem);

    const QString field = input.destinationFolder;
    if (field.trimmed().isEmpty() || input.destinationType != QLatin1String("DIR") ||
        field.startsWith(QLatin1Char('\\')))
        return result;
    const QString base = field.startsWith(QLatin1Char('.')) ? input.currentDir : field;

    const QString sourcesFile = input.sourcesFile.isEmpty()
                                    ? platform::programFile(QStringLiteral("sources.txt"))
                                    : input.sourcesFile;
    bool sourcesNewer = false;
    for (const QString& line : TextFile::readLines(sourcesFile).lines) {
        const QString path = sourceLineVolumePath(line);
        if (!path.isEmpty() && query(path) == ntfs) {
            sourcesNewer = true;
            break;
        }
    }

    bool destinationOlder = false;
    if (input.folderDestinationChosen && !base.trimmed().isEmpty() && DirectoryExists2(base))
        destinationOlder = query(base) == fat;

    bool restoreOlder = false;
    if (!input.restoreToOriginal && !input.restoreFolder.trimmed().isEmpty() &&
        DirectoryExists2(input.restoreFolder))
        restoreOlder = query(input.restoreFolder) == fat;

    result.backupWarning = destinationOlder && sourcesNewer;
    result.restoreWarning = restoreOlder && !destinationOlder;
    return result;
}

} // namespace ombrix::storage
