#include "core/catalog/SetLayout.h"

#include "core/catalog/CatalogLine.h"

namespace ombrix::SetLayout {

namespace {

QString joined(QStringView root, QStringView set, const QString& below)
{
    QString out = root.toString();
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    if (!out.isEmpty() && !out.endsWith(u'/'))
        out += u'/';
    out += set;
    if (!below.isEmpty()) {
        out += u'/';
        out += below;
    }
    return out;
}

} // namespace

QString folderInSet(QStringView sourcePath)
{
    const qsizetype slash = sourcePath.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    QString folder = sourcePath.first(slash).toString();
    folder.remove(u':');
    qsizetype start = 0;
    while (start < folder.size() && folder.at(start) == u'/')
        ++start;
    qsizetype end = folder.size();
    while (end > start && folder.at(end - 1) == u'/')
        --end;
    return folder.sliced(start, end - start);
}

QString storedName(QStringView sourcePath, bool plainCopy)
{
    QString name = sourcePath.sliced(sourcePath.lastIndexOf(u'/') + 1).toString();
    if (!plainCopy)
        name += archiveSuffix;
    return name;
}

QString pathInSet(QStringView sourcePath, bool plainCopy)
{
    const QString folder = folderInSet(sourcePath);
    const QString name = storedName(sourcePath, plainCopy);
    return folder.isEmpty() ? name : folder + u'/' + name;
}

QString folderOf(QStringView root, QStringView set, QStringView sourcePath)
{
    return joined(root, set, folderInSet(sourcePath));
}

QString archivePath(QStringView root, QStringView set, QStringView sourcePath, bool plainCopy)
{
    return joined(root, set, pathInSet(sourcePath, plainCopy));
}

QString archivePathOfLine(QStringView root, QStringView catalogLine)
{
    return archivePath(root, catalogField(catalogLine, CatalogLine::Set),
                       catalogField(catalogLine, CatalogLine::Path), CatalogLine::isPlainCopy(catalogLine));
}

QString sideArchivePath(QStringView root, QStringView set, QStringView sideFile)
{
    return joined(root, set, sideFile.toString().append(archiveSuffix));
}

} // namespace ombrix::SetLayout
