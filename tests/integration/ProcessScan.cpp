#include "ProcessScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

namespace {

QByteArray readProcFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isZombie(const QString& pid)
{
    // /proc/PID/stat: "pid (comm) S ..."; comm may hold blanks and parentheses, so the state is
    // the first field after the last ')'.
    const QByteArray stat = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) == "Z" || stat.mid(close + 2, 1) == "X";
}

} // namespace

QStringList ProcessScan::processesUsing(const QStringList& folders)
{
    QStringList found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric || pid == self || isZombie(pid))
            continue;
        QByteArray cmdline = readProcFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        cmdline.replace('\0', ' ');
        const QString command = QString::fromUtf8(cmdline);
        const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
        for (const QString& folder : folders) {
            if (command.contains(folder) || cwd == folder || cwd.startsWith(folder + QLatin1Char('/'))) {
                found.append(pid + QLatin1Char(' ') + command);
                break;
            }
        }
    }
    return found;
}

} // namespace ombrix::test
