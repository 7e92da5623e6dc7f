#include "PageTestSupport.h"

#include <QCoreApplication>
#include <QDir>

namespace ombrix::test {

ConfigFixture::ConfigFixture()
{
    folder.write(QStringLiteral("config.ini"), defaultConfigBytes());
    store = std::make_unique<IniStore>(folder.file(QStringLiteral("config.ini")));
}

} // namespace ombrix::test
