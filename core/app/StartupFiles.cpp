#include "core/app/StartupFiles.h"

#include "core/config/DefaultConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::app {

StartupFiles::StartupFiles(QString folder) : m_folder(std::move(folder)) {}

QString StartupFiles::file(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

bool StartupFiles::enterFolder() const
{
    return QDir::setCurrent(m_folder);
}

void StartupFiles::removeLeftoverPlugin() const
{
    QFile::remove(file(QStringLiteral("TotalCommander_7zip_plugin.rar")));
}

void StartupFiles::removeRestartScript() const
{
    QFile::remove(file(QStringLiteral("restart.sh")));
}

bool StartupFiles::restartScriptPresent() const
{
    return QFileInfo(file(QStringLiteral("restart.sh"))).isFile();
}

int StartupFiles::removeTempFiles() const
{
    QDir dir(m_folder);
    int removed = 0;
    const QFileInfoList found =
        dir.entryInfoList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : found) {
        if (QFile::remove(info.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

bool StartupFiles::ensureSourceList() const
{
    const QString path = file(QStringLiteral("sources.txt"));
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return true;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.close();
    return true;
}

bool StartupFiles::ensureConfig() const
{
    return writeDefaultConfigIfMissing(m_folder);
}

} // namespace ombrix::app
