#pragma once

#include <QString>
#include <QStringList>

namespace ombrix::test {

// Looks through /proc for live processes that still work on a test's folders: their working
// folder lies below one of them or their command line names one. Zombies (ended, not yet
// reaped) do not count; they hold nothing.
class ProcessScan
{
  public:
    // "pid cmdline" for each such process other than this one.
    static QStringList processesUsing(const QStringList& folders);
};

} // namespace ombrix::test
