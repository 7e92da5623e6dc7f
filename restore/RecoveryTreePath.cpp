#include "restore/RecoveryTreePath.h"

#include "core/catalog/CatalogLine.h"

namespace ombrix::RecoveryTreePath {

namespace {

// The position of the '/' that opens the last component of a folder key, or -1 for a top folder.
qsizetype parentEnd(QStringView folder)
{
    if (folder.size() < 2)
        return -1;
    return folder.first(folder.size() - 1).lastIndexOf(separator);
}

} // namespace

Split splitLine(QStringView line)
{
    Split split;
    const QString path = catalogField(line, CatalogLine::Path);
    if (path.isEmpty())
        return split;
    const qsizetype slash = path.lastIndexOf(separator);
    split.ok = true;
    split.folder = path.first(slash + 1);
    split.name = path.sliced(slash + 1);
    return split;
}

QString parentFolder(QStringView folder)
{
    const qsizetype p = parentEnd(folder);
    return p < 0 ? QString() : folder.first(p + 1).toString();
}

QString folderName(QStringView folder)
{
    const qsizetype p = parentEnd(folder);
    QStringView inner = folder;
    if (inner.endsWith(separator))
        inner.chop(1);
    if (p < 0)
        return inner.isEmpty() ? QString(separator) : inner.toString();
    return inner.sliced(p + 1).toString();
}

} // namespace ombrix::RecoveryTreePath
