#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ombrix::platform {

QString programFolder()
{
    const QString home = qEnvironmentVariable("OMBRIX_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    return executableFolder();
}

QString programFile(const QString& name)
{
    return QDir(programFolder()).filePath(name);
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
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
