#include "archive/ScratchLeftovers.h"

#include "archive/SetLocation.h"
#include "core/catalog/CatalogLine.h"
#include "storage/Destination.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace ombrix {

QSet<QString> ScratchLeftovers::catalogEntries(const Destination& destination, const QString& set,
                                               const QStringList& catalog)
{
    QSet<QString> entries;
    // Every line counts, whichever set it names: a merge moves a file into its target before the
    // target's catalog names the target, and an interrupted merge must not lose it.
    for (const QString& line : catalog) {
        const SetLocation location = SetLocation::of(set, catalogField(line, 1));
        if (!location.valid())
            continue;
        const bool plainCopy = catalogField(line, 4) == QLatin1String("1");
        const QString local = destination.localPath(location.entry(plainCopy));
        if (!local.isEmpty())
            entries.insert(QDir::cleanPath(local));
    }
    return entries;
}

int ScratchLeftovers::removeScratchLeftovers(const Destination& destination, const QString& set,
                                             const QStringList& catalog, Depth depth)
{
    const QString setFolder = destination.localPath(set);
    if (set.isEmpty() || setFolder.isEmpty() || !QFileInfo(setFolder).isDir())
        return 0;
    QSet<QString> keep;
    bool keepKnown = false;
    int removed = 0;
    QDirIterator it(setFolder, {QStringLiteral(".ombrix-*")}, QDir::Files | QDir::Hidden | QDir::System,
                    depth == Depth::WholeSet ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = QDir::cleanPath(it.next());
        if (it.fileInfo().isSymLink())
            continue;
        // The catalog is looked at only when there is something to decide.
        if (!keepKnown) {
            keep = catalogEntries(destination, set, catalog);
            keepKnown = true;
        }
        if (!keep.contains(path) && QFile::remove(path))
            ++removed;
    }
    return removed;
}

int ScratchLeftovers::removeAbandonedSets(Destination& destination, const QString& keep)
{
    int removed = 0;
    for (const QString& set : destination.listSetFolders()) {
        const QString folder = destination.localPath(set);
        if (set == keep || folder.isEmpty() || QFileInfo(folder).isSymLink())
            continue;
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        bool onlyScratch = true;
        for (const QFileInfo& entry : entries) {
            if (!entry.isFile() || entry.isSymLink() ||
                !entry.fileName().startsWith(QLatin1String(".ombrix-"))) {
                onlyScratch = false;
                break;
            }
        }
        if (!onlyScratch)
            continue;
        for (const QFileInfo& entry : entries)
            QFile::remove(entry.absoluteFilePath());
        if (QDir().rmdir(folder))
            ++removed;
    }
    return removed;
}

} // namespace ombrix
