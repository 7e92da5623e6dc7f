#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QThread>
#include <vector>

namespace ombrix::test {

// Processes of a process group that are still alive (zombies waiting for their reaper do not
// count: they run nothing any more), read from /proc.
inline std::vector<qint64> liveProcessesInGroup(qint64 group)
{
    std::vector<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (comm) state ppid pgrp ..."; comm may hold spaces and parentheses.
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() < 3)
            continue;
        if (fields.at(2).toLongLong() == group && fields.at(0) != "Z" && fields.at(0) != "X")
            found.push_back(pid);
    }
    return found;
}

// A killed process dies asynchronously: SIGKILL is sent, the process is gone moments later. Waits
// (at most a few seconds, so a survivor fails the test instead of hanging it) until no live
// process is left in the group.
inline bool groupEnds(qint64 group)
{
    for (int i = 0; i < 500; ++i) {
        if (liveProcessesInGroup(group).empty())
            return true;
        QThread::msleep(10);
    }
    return false;
}

inline bool processExists(qint64 pid)
{
    return QFile::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace ombrix::test
