#include "E2eSandbox.h"

#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/sources/SourcesFile.h"
#include "core/text/TextFile.h"
#include "SetRestorer.h"
#include "support/TempProgramFolder.h"
#include "support/WorkerProcess.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>

namespace ombrix::test {

namespace {

QString outputFile(const QString& root)
{
    return QDir(root).filePath(QStringLiteral("program-output.txt"));
}

} // namespace

E2eSandbox::E2eSandbox()
{
    QDir(root()).mkpath(QStringLiteral("program"));
    QDir(root()).mkpath(QStringLiteral("dest"));
    QDir(root()).mkpath(QStringLiteral("src"));
}

E2eSandbox::~E2eSandbox() = default;

bool E2eSandbox::usesProgram()
{
    return qEnvironmentVariableIntValue("OMBRIX_E2E_ENGINE") != 1;
}

bool E2eSandbox::install(const QStringList& sourceEntries)
{
    const QString config = QDir(programFolder()).filePath(QStringLiteral("config.ini"));
    QFile::remove(config);
    if (!writeDefaultConfigIfMissing(programFolder()))
        return false;
    IniStore store(config);
    if (!store.writeString(ConfigKeys::BACKUP_DIR, destination()))
        return false;
    const QStringList entries = sourceEntries.isEmpty() ? QStringList{sourceRoot()} : sourceEntries;
    return SourcesFile::write(QDir(programFolder()).filePath(SourcesFile::fileName), entries);
}

bool E2eSandbox::setPassword(const QString& plain)
{
    IniStore store(QDir(programFolder()).filePath(QStringLiteral("config.ini")));
    return store.writeString(ConfigKeys::PASSWORD, sifruj(plain));
}

QString E2eSandbox::configValue(const QString& section, const QString& key) const
{
    return IniStore(QDir(programFolder()).filePath(QStringLiteral("config.ini")))
        .readString(section, key, QStringLiteral("<none>"));
}

bool E2eSandbox::setConfigValue(const QString& section, const QString& key, const QString& value)
{
    return IniStore(QDir(programFolder()).filePath(QStringLiteral("config.ini")))
        .writeString(section, key, value);
}

std::unique_ptr<QProcess> E2eSandbox::start(const QMap<QString, QString>& extraEnvironment) const
{
    // Set names have a resolution of one second: two runs started within the same second would
    // name the same set, which no real schedule does.
    static qint64 lastStart = 0;
    while (QDateTime::currentSecsSinceEpoch() <= lastStart)
        QThread::msleep(20);
    lastStart = QDateTime::currentSecsSinceEpoch();

    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("OMBRIX_HOME"), programFolder());
    // Timer1 (5 s) and the pause before an unattended run ends (10 s), shortened.
    environment.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("100"));
    environment.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("100"));
    for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it) {
        if (it.value().isEmpty())
            environment.remove(it.key());
        else
            environment.insert(it.key(), it.value());
    }
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(outputFile(root()), QIODevice::Append);
    process->setStandardErrorFile(outputFile(root()), QIODevice::Append);
    process->setWorkingDirectory(root());
    if (usesProgram()) {
        process->start(binDir() + QStringLiteral("/ombrix"), {QStringLiteral("-start")});
    } else {
        process->start(workerProgram(), {QStringLiteral("backup")});
    }
    process->waitForStarted(10000);
    return process;
}

bool E2eSandbox::runToEnd(int timeoutMs) const
{
    std::unique_ptr<QProcess> process = start();
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished(10000);
        return false;
    }
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

QString E2eSandbox::programOutput() const
{
    QFile file(outputFile(root()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll().right(4000));
}

QStringList E2eSandbox::sets() const
{
    return QDir(destination())
        .entryList({QStringLiteral("OMX_*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList E2eSandbox::leftoverTmpFiles() const
{
    QStringList found;
    for (const QString& folder : {programFolder(), destination()}) {
        QDirIterator it(folder, {QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
    }
    return found;
}

QString E2eSandbox::logText(const QString& set, const QString& password) const
{
    const TextFile::ReadResult local =
        TextFile::readLines(QDir(programFolder()).filePath(QStringLiteral("log.txt")));
    if (local.ok)
        return local.lines.join(QLatin1Char('\n'));
    if (set.isEmpty())
        return {};
    bool ok = false;
    const QByteArray bytes = SetRestorer::extractSingle(
        SetLayout::sideArchivePath(destination(), set, SetLayout::logFile), password, &ok);
    return ok ? TextFile::decodeLines(bytes).join(QLatin1Char('\n')) : QString();
}

} // namespace ombrix::test
