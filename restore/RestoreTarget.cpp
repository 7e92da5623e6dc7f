#include "restore/RestoreTarget.h"

#include "platform/DirectoryTree.h"
#include "storage/local/LocalPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace ombrix::RestoreTarget {

namespace {

bool hasDriveForm(const QString& path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
    return drive.match(path).hasMatch();
}

// No empty, "." or ".." component after the leading part.
bool componentsPlain(const QString& path, qsizetype from)
{
    const QStringList parts = path.mid(from).split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

// True when folder is the same as guarded or lies above it.
bool covers(const QString& folder, const QString& guarded)
{
    if (guarded.isEmpty())
        return false;
    if (folder == guarded)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return guarded.startsWith(prefix);
}

QString canonicalOrClean(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : canonical;
}

} // namespace

bool isSafePath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    if (path.startsWith(QLatin1Char('/')))
        return componentsPlain(path, 1);
    if (hasDriveForm(path))
        return componentsPlain(path, 3);
    return false;
}

QString targetFolder(const QString& path, bool toOriginal, const QString& chosenFolder)
{
    if (!isSafePath(path))
        return {};
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')));
    if (toOriginal)
        return path.startsWith(QLatin1Char('/')) ? (folder.isEmpty() ? QStringLiteral("/") : folder)
                                                 : QString();
    if (chosenFolder.isEmpty())
        return {};
    QString inside = folder;
    inside.remove(QLatin1Char(':'));
    const QString base = QDir::cleanPath(chosenFolder);
    const QString target = QDir::cleanPath(base + QLatin1Char('/') + inside);
    return covers(base, target) ? target : QString();
}

bool isRemovableSourceFolder(const QString& line, const QStringList& guardedFolders)
{
    if (line.contains(QLatin1String("///")) || !line.startsWith(QLatin1Char('/')))
        return false;
    QString folder = line;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (folder == QLatin1String("/") || !componentsPlain(folder, 1))
        return false;
    if (!storage::DirectoryExists2(folder) || platform::DirectoryTree::isProtectedFromRemoval(folder))
        return false;
    const QString clean = QDir::cleanPath(folder);
    const QString real = canonicalOrClean(folder);
    for (const QString& guarded : guardedFolders) {
        if (guarded.isEmpty())
            continue;
        const QString guardedClean = QDir::cleanPath(QDir(guarded).absolutePath());
        const QString guardedReal = canonicalOrClean(guarded);
        if (covers(clean, guardedClean) || covers(real, guardedReal) || covers(clean, guardedReal) ||
            covers(real, guardedClean))
            return false;
    }
    return true;
}

} // namespace ombrix::RestoreTarget
