#pragma once

#include <QString>

namespace ombrix::test {

// The real ombrix program as a scheduler starts it: "-start" on the program folder home, no
// display, the auto-start and end delays shortened to nothing. A run that does not end within
// the limit is killed and reported as not finished. Its error output goes to the test's.
struct ScheduledRun
{
    bool finished = false;
    int exitCode = -1;
    QString output; // standard output

    static ScheduledRun run(const QString& home, int limitMs = 180000);
};

} // namespace ombrix::test
