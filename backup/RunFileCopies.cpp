#include "backup/RunFileCopies.h"

#include "platform/DurableFiles.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::RunFileCopies {

namespace {

QString copiesRoot()
{
    return platform::programFile(QStringLiteral("runfiles"));
}

// Only this user reads the copies: config.ini holds the (scrambled) passwords.
constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerFolder = ownerOnly | QFileDevice::ExeOwner;

bool makeOwnerFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkpath(path) && QFile::setPermissions(path, ownerFolder);
}

} // namespace

QString folderOf(const QString& set)
{
    return QDir(copiesRoot()).filePath(set);
}

bool keep(const QString& set, const QString& name)
{
    if (set.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    const QString folder = folderOf(set);
    if (!makeOwnerFolder(copiesRoot()) || !makeOwnerFolder(folder))
        return false;
    const QString copy = QDir(folder).filePath(name);
    const QString scratch = copy + QStringLiteral(".part");
    QFile::remove(scratch);
    // Renamed into place only once complete and on disk: a copy that is there is whole.
    const bool made = QFile::copy(platform::programFile(name), scratch) &&
                      QFile::setPermissions(scratch, ownerOnly) && platform::syncFile(scratch) &&
                      (!QFileInfo::exists(copy) || QFile::remove(copy)) && QFile::rename(scratch, copy) &&
                      platform::syncFolder(folder);
    if (!made) {
        QFile::remove(scratch);
        QFile::remove(copy);
    }
    return made;
}

QString sourceOf(const QString& set, const QString& name)
{
    if (!set.isEmpty() && !name.contains(QLatin1Char('/'))) {
        const QString copy = QDir(folderOf(set)).filePath(name);
        if (QFileInfo(copy).isFile())
            return copy;
    }
    return platform::programFile(name);
}

void forgetAllBut(const QString& set)
{
    const QDir root(copiesRoot());
    if (!root.exists())
        return;
    const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& folder : folders) {
        if (folder != set)
            QDir(root.filePath(folder)).removeRecursively();
    }
}

} // namespace ombrix::RunFileCopies
