#include "storage/FolderDestination.h"

#include "platform/DurableFiles.h"
#include "platform/FileSystemInfo.h"
#include "platform/ProgramFolder.h"
#include "storage/local/LocalPaths.h"
#include "storage/local/LocalTree.h"

#include <filesystem>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <system_error>

namespace ombrix {

namespace {

// A relative path that stays below the root: no "." or ".." segment, not absolute.
bool staysBelowRoot(const QString& relPath)
{
    if (relPath.startsWith(QLatin1Char('/')))
        return false;
    const QStringList segments = relPath.split(QLatin1Char('/'));
    for (const QString& segment : segments) {
        if (segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    }
    return true;
}

// Copies a file through a hidden temporary file in the target's folder and a rename, so the
// target is either the old file or the complete new one. Keeps the modification time.
bool copyReplacing(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QFileInfo targetInfo(target);
    QTemporaryFile out(targetInfo.absolutePath() + QStringLiteral("/.ombrix-copy-XXXXXX"));
    if (!out.open())
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (out.write(buffer, got) != got)
            return false;
    }
    if (!out.flush())
        return false;
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    // On stable storage before its name points to it, and the name after the rename.
    if (!platform::syncFile(out.fileName()))
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(out.fileName()).toStdString()),
                            std::filesystem::path(QFile::encodeName(target).toStdString()), error);
    if (error)
        return false;
    out.setAutoRemove(false);
    return platform::syncFolder(targetInfo.absolutePath());
}

} // namespace

FolderDestination::FolderDestination(const QString& rootFolder)
{
    QString root = rootFolder.trimmed();
    if (!root.isEmpty() && QDir::isRelativePath(root))
        root = QDir(platform::programFolder()).filePath(root);
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    m_root = root;
}

QString FolderDestination::localPath(const QString& relPath) const
{
    if (m_root.isEmpty() || !staysBelowRoot(relPath))
        return {};
    if (relPath.isEmpty())
        return m_root;
    if (m_root.endsWith(QLatin1Char('/')))
        return m_root + relPath;
    return m_root + QLatin1Char('/') + relPath;
}

bool FolderDestination::isOnline() const
{
    if (m_root.isEmpty() || !storage::DirectoryExists2(m_root))
        return false;
    const QString medium = platform::storageRoot(m_root);
    if (!medium.isEmpty() && !platform::storagePresent(medium))
        return false;
    return m_pinnedRoot.isNull() || platform::identityOf(m_root) == m_pinnedRoot;
}

void FolderDestination::pinVolume()
{
    m_pinnedRoot = platform::identityOf(m_root);
}

bool FolderDestination::fileExists(const QString& relPath)
{
    const QString path = localPath(relPath);
    return !path.isEmpty() && storage::FileExists2(path);
}

bool FolderDestination::folderExists(const QString& relPath)
{
    const QString path = localPath(relPath);
    return !path.isEmpty() && storage::DirectoryExists2(path);
}

// Only below the root, never the root itself: a destination folder that is gone (deleted, or a
// medium that is not attached) is not made again, so nothing lands where the sets are not. The
// folders are made private to the user, and the folders that got a new entry are put on stable
// storage, so the archives later written into them cannot lose their way in a power loss.
bool FolderDestination::makeFolders(const QString& relPath)
{
    const QString path = localPath(relPath);
    if (path.isEmpty() || !isOnline())
        return false;
    QString level = m_root;
    QStringList changed;
    for (const QString& segment : relPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QString parent = level;
        level += QLatin1Char('/') + segment;
        if (storage::DirectoryExists2(level))
            continue;
        if (!QDir().mkdir(level, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) &&
            !storage::DirectoryExists2(level))
            return false;
        changed << parent;
    }
    for (const QString& folder : std::as_const(changed)) {
        if (!platform::syncFolder(folder))
            return false;
    }
    return storage::DirectoryExists2(path);
}

qint64 FolderDestination::fileSize(const QString& relPath)
{
    const QString path = localPath(relPath);
    if (path.isEmpty())
        return -1;
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

bool FolderDestination::deleteFile(const QString& relPath)
{
    const QString path = localPath(relPath);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink())
        return false;
    return QFile::remove(path);
}

TransferResult FolderDestination::storeFile(const QString& localFile, const QString& relPath)
{
    TransferResult result;
    const QString path = localPath(relPath);
    if (path.isEmpty() || !QFileInfo(localFile).isFile() || !isOnline())
        return result;
    result.ok = copyReplacing(localFile, path) && QFileInfo(path).size() == QFileInfo(localFile).size();
    return result;
}

TransferResult FolderDestination::fetchFile(const QString& relPath, const QString& localFile)
{
    TransferResult result;
    const QString path = localPath(relPath);
    if (path.isEmpty() || !QFileInfo(path).isFile() || QFileInfo::exists(localFile))
        return result;
    result.ok = copyReplacing(path, localFile);
    return result;
}

QStringList FolderDestination::listSetFolders()
{
    if (m_root.isEmpty())
        return {};
    QStringList sets;
    const QStringList folders =
        QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& folder : folders) {
        if (folder.startsWith(QLatin1String("OMX_")))
            sets.append(folder);
    }
    sets.sort();
    return sets;
}

bool FolderDestination::renameEntry(const QString& fromRelPath, const QString& toRelPath)
{
    const QString from = localPath(fromRelPath);
    const QString to = localPath(toRelPath);
    if (fromRelPath.isEmpty() || toRelPath.isEmpty() || from.isEmpty() || to.isEmpty())
        return false;
    const QFileInfo target(to);
    if (target.exists() || target.isSymLink())
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return !error;
}

bool FolderDestination::removeTree(const QString& relPath, const std::function<void()>& pump)
{
    const QString path = localPath(relPath);
    if (relPath.isEmpty() || path.isEmpty())
        return false;
    const storage::RemoveResult result = storage::odstran_dir(path, pump);
    return result == storage::RemoveResult::Removed || result == storage::RemoveResult::Missing;
}

QStringList FolderDestination::listFolders(const QString& relPath, bool recursive)
{
    const QString path = localPath(relPath);
    if (path.isEmpty())
        return {};
    QStringList found;
    storage::listLocalDirs(path, recursive, found);
    // listLocalDirs gives path + "/" + name below the folder asked; the caller wants them
    // relative to the destination root.
    const QString prefix = path + QLatin1Char('/');
    const QString relPrefix = relPath.isEmpty() ? QString() : relPath + QLatin1Char('/');
    QStringList folders;
    for (const QString& folder : found) {
        if (folder.startsWith(prefix))
            folders.append(relPrefix + folder.mid(prefix.size()));
    }
    return folders;
}

double FolderDestination::treeSize(const QString& relPath, const std::function<bool()>& stopRequested)
{
    const QString path = localPath(relPath);
    if (path.isEmpty())
        return 0;
    RunState state;
    const quint64 size = storage::SizeDir(path, true, state, [&] {
        if (stopRequested && stopRequested())
            state.stopRequested = true;
    });
    return state.stopRequested ? 0 : double(size);
}

} // namespace ombrix
