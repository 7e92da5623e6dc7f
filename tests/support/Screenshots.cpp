#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ombrix::test {

QString screenshotPath(const QString& fileName)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/../screenshots/") + program);
    QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

} // namespace ombrix::test
