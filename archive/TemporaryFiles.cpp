#include "archive/TemporaryFiles.h"

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix {

int deleteTemporaryFiles()
{
    return deleteTemporaryFiles(platform::programFolder());
}

int deleteTemporaryFiles(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    QDir dir(folder);
    // Like "del *.tmp": files only, the extension compared without regard to case. Hidden ones
    // too: the archiver's work files are named after the hidden scratch archives
    // (".ombrix-XXXXXX.7z.tmp"), and a killed run leaves them here.
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setNameFilters({QStringLiteral("*.tmp")});
    dir.setSorting(QDir::Unsorted);
    int deleted = 0;
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++deleted;
    }
    return deleted + removeExtractionStaging(folder);
}

int removeExtractionStaging(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    int removed = 0;
    const QFileInfoList staging =
        QDir(folder).entryInfoList({QStringLiteral(".ombrix-extract-*")},
                                   QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& entry : staging) {
        if (QDir(entry.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace ombrix
