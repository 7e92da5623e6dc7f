#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace ombrix::test {

// This test program started again as a child that runs one test only (a worker), with extra
// environment variables. The parent may kill it with SIGKILL at a chosen moment, as a crash or a
// power loss ends the real program.
class WorkerProcess
{
  public:
    enum class Outcome
    {
        Finished, // ended by itself with exit code 0
        Killed,   // killed by us before it ended
        Failed    // crashed, failed its test or did not end in time
    };

    // testName is the gtest filter of the worker's test ("Suite.Name").
    WorkerProcess(const QString& testName, const QMap<QString, QString>& environment);

    // Runs the worker once. With killAfterMs >= 0 it is killed with SIGKILL when it has not ended
    // after that many milliseconds; with -1 it runs to its end (at most timeoutMs).
    Outcome run(int killAfterMs, int timeoutMs = 180000);
    // Standard output and error of the last run, for failure messages.
    QByteArray output() const { return m_output; }

  private:
    QString m_testName;
    QMap<QString, QString> m_environment;
    QByteArray m_output;
};

} // namespace ombrix::test
