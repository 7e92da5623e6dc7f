#pragma once

#include <memory>
#include <QByteArray>
#include <QMap>
#include <QString>

class QProcess;

namespace ombrix::test {

// The test worker program (ombrix_test_worker) started as one program start of backup, restore
// or merge, with extra environment variables. The parent may kill it with SIGKILL, as a crash or
// a power loss ends the real program.
class WorkerProcess
{
  public:
    enum class Outcome
    {
        Finished, // ended by itself, the operation done (exit code 0)
        Pending,  // ended by itself with the operation still unfinished (exit code 1)
        Killed,   // killed by us before it ended
        Failed    // crashed, was called wrongly or did not end in time
    };

    // mode: "backup", "restore" or "merge".
    WorkerProcess(const QString& mode, const QMap<QString, QString>& environment);
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    void setEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }

    // Runs the worker to its end (at most timeoutMs).
    Outcome run(int timeoutMs = 180000);
    // Starts the worker and returns at once; running() tells whether it still runs.
    bool start();
    bool running();
    // Kills a started worker with SIGKILL and reaps it; Killed, or the outcome when it had
    // ended by itself already.
    Outcome kill();
    // Waits for a started worker to end by itself.
    Outcome wait(int timeoutMs = 180000);

    // Standard output and error of the last run, for failure messages.
    QByteArray output() const { return m_output; }

  private:
    Outcome outcomeOfEnded();

    QString m_mode;
    QMap<QString, QString> m_environment;
    QByteArray m_output;
    std::unique_ptr<QProcess> m_child;
};

// The path of the worker program.
QString workerProgram();

} // namespace ombrix::test
