#include "storage/local/LocalPaths.h"

#include "platform/DirectoryTree.h"
#include "platform/FileSystemInfo.h"

namespace ombrix::storage {

using platform::DirectoryTree::Kind;

QString AppendUNC(const QString& filik)
{
    return filik;
}

bool FileExists2(const QString& soubor)
{
    if (soubor.isEmpty())
        return false;
    return platform::DirectoryTree::targetKindOf(soubor) == Kind::File ||
           platform::DirectoryTree::targetKindOf(AppendUNC(soubor)) == Kind::File;
}

bool DirectoryExists2(const QString& path)
{
    return !path.isEmpty() && platform::DirectoryTree::targetKindOf(AppendUNC(path)) == Kind::Folder;
}

bool forceLocalDir(const QString& path)
{
    if (path.isEmpty())
        return false;
    // The readiness check refuses such a destination by the same rule.
    if (!platform::absentStorageOf(path).isEmpty())
        return false;
    platform::DirectoryTree::makeFolders(AppendUNC(path));
    return DirectoryExists2(path);
}

} // namespace ombrix::storage
