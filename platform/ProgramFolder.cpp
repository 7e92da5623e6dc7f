#include "platform/ProgramFolder.h"

#include "core/config/DefaultConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ombrix::platform {

namespace {

// Makes the folder and every missing folder above it, each readable only by its owner (what the
// XDG rules ask for folders a program creates below the user's configuration folder). Folders that
// exist already keep their permissions.
bool makeOwnerOnlyFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    const QString absolute = info.absoluteFilePath();
    const QString parent = info.absolutePath();
    if (parent != absolute && !makeOwnerOnlyFolder(parent))
        return false;
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    // Another process may have made it meanwhile; what counts is that it is there.
    return QDir().mkdir(absolute, ownerOnly) || QFileInfo(absolute).isDir();
}

} // namespace

QString resolveProgramFolder(const QString& homeVariable, const QString& executableFolder,
                             const QString& userConfigFolder)
{
    if (!homeVariable.isEmpty())
        return QDir::cleanPath(homeVariable);
    if (QFileInfo::exists(QDir(executableFolder).filePath(QString(configFileName))))
        return executableFolder;
    return QDir(userConfigFolder).filePath(QStringLiteral("ombrix"));
}

QString programFolder()
{
    const QString home = qEnvironmentVariable("OMBRIX_HOME");
    const QString folder = resolveProgramFolder(home, executableFolder(), userConfigFolder());
    // Only the user's own folder is made here. A folder named by OMBRIX_HOME is the person's to
    // provide (start-up reports one it cannot write to), and a portable folder exists by definition.
    if (home.isEmpty() && !QFileInfo(folder).isDir())
        makeOwnerOnlyFolder(folder);
    return folder;
}

QString programFile(const QString& name)
{
    return QDir(programFolder()).filePath(name);
}

QString userConfigFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.config"));
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return executablePath().section(QLatin1Char('/'), 0, -2);
}

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QStringList languageSearchFolders(const QString& programFolder, const QString& executableFolder)
{
    return {programFolder, executableFolder,
            QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral("../share/ombrix")))};
}

QString siblingProgram(const QString& name)
{
    const QString beside = QDir(executableFolder()).filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString test = qEnvironmentVariable("OMBRIX_BIN_DIR");
    if (!test.isEmpty() && QFileInfo(QDir(test).filePath(name)).isExecutable())
        return QDir(test).filePath(name);
    return name;
}

} // namespace ombrix::platform
