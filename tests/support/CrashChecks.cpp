#include "support/CrashChecks.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace ombrix::test {

namespace {

QByteArray readProcFile(const QString& pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid, QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The state letter of /proc/<pid>/stat follows the command name in parentheses.
bool isZombie(const QString& pid)
{
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || close + 2 >= stat.size() || stat.at(close + 2) == 'Z' || stat.at(close + 2) == 'X';
}

QStringList helpersNow(const QStringList& folders)
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    QStringList found;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        QByteArray commandLine = readProcFile(pid, "cmdline");
        commandLine.replace('\0', ' ');
        const QString command = QString::fromLocal8Bit(commandLine);
        for (const QString& folder : folders) {
            if (!folder.isEmpty() && command.contains(folder) && !isZombie(pid)) {
                found << pid + QLatin1Char(' ') + command;
                break;
            }
        }
    }
    return found;
}

} // namespace

QStringList CrashChecks::tmpFiles(const QStringList& folders)
{
    QStringList found;
    for (const QString& folder : folders) {
        QDirIterator it(folder, {QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
    }
    return found;
}

QStringList CrashChecks::programTmpFiles(const QString& programFolder)
{
    QStringList found;
    for (const QString& name :
         QDir(programFolder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::System))
        found << QDir(programFolder).filePath(name);
    return found;
}

bool CrashChecks::processEnded(qint64 pid, int waitMs)
{
    QElapsedTimer timer;
    timer.start();
    const QString id = QString::number(pid);
    for (;;) {
        if (pid <= 0 || !QFile::exists(QStringLiteral("/proc/") + id) || isZombie(id))
            return true;
        if (timer.elapsed() >= waitMs)
            return false;
        QThread::msleep(20);
    }
}

QStringList CrashChecks::scratchFiles(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral(".ombrix-*")}, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

QStringList CrashChecks::liveHelpers(const QStringList& folders, int waitMs)
{
    QElapsedTimer timer;
    timer.start();
    QStringList found = helpersNow(folders);
    while (!found.isEmpty() && timer.elapsed() < waitMs) {
        QThread::msleep(20);
        found = helpersNow(folders);
    }
    return found;
}

} // namespace ombrix::test
