#include "core/app/ProgramVersion.h"

#include <QStringList>

namespace ombrix::app {

QString fourPartVersion(const QString& version)
{
    const QStringList parts = version.trimmed().split(QLatin1Char('.'));
    QStringList numbers;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint value = i < parts.size() ? parts.at(i).toUInt(&ok) : 0;
        numbers << QString::number(ok ? value : 0);
    }
    return numbers.join(QLatin1Char('.'));
}

QString programVersion()
{
    return fourPartVersion(QStringLiteral(OMBRIX_VERSION));
}

QString windowCaption()
{
    return QStringLiteral("Ombrix v") + programVersion();
}

} // namespace ombrix::app
