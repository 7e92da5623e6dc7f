#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

TempProgramFolder::TempProgramFolder()
{
    m_hadHome = qEnvironmentVariableIsSet("OMBRIX_HOME");
    m_previousHome = qgetenv("OMBRIX_HOME");
    qputenv("OMBRIX_HOME", m_dir.path().toLocal8Bit());
}

TempProgramFolder::~TempProgramFolder()
{
    if (m_hadHome)
        qputenv("OMBRIX_HOME", m_previousHome);
    else
        qunsetenv("OMBRIX_HOME");
}

void TempProgramFolder::write(const QString& name, const QByteArray& bytes) const
{
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempProgramFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString binDir()
{
    const QString fromEnv = qEnvironmentVariable("OMBRIX_BIN_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(OMBRIX_TEST_BIN_DIR) : fromEnv;
}

QString sourceDir()
{
    const QString fromEnv = qEnvironmentVariable("OMBRIX_SOURCE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(OMBRIX_TEST_SOURCE_DIR) : fromEnv;
}

} // namespace ombrix::test
