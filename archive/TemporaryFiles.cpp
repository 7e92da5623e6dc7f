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
    // Like "del *.tmp": files only, the extension compared without regard to case.
    dir.setFilter(QDir::Files | QDir::System);
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
    return deleted;
}

} // namespace ombrix
