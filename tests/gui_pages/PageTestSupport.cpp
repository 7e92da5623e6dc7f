#include "PageTestSupport.h"

#include <QCoreApplication>
#include <QDir>

namespace ombrix::test {

ConfigFixture::ConfigFixture()
{
    folder.write(QStringLiteral("config.ini"), defaultConfigBytes());
    store = std::make_unique<IniStore>(folder.file(QStringLiteral("config.ini")));
}

QString screenshotFolder()
{
    const QString path =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    QDir().mkpath(path);
    return path;
}

} // namespace ombrix::test
