#pragma once

#include <functional>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// The archiver_wrapper.sh script put in front of the real 7za (through OMBRIX_7ZA), so a test
// can stop a program at an exact archiver call, or make calls fail, instead of racing with the
// archiver's speed. A call is chosen by its command letter ("a", "l", "e", "t") and a shell
// pattern for its last argument (the archive, or for "a" the file put into it), and counted
// among the calls that match.
class ArchiverWrapper
{
  public:
    struct Call
    {
        QString op;          // the archiver's command letter
        QString lastPattern; // shell pattern, e.g. "*/archivlist.csv" or "*/OMX_*/*.7z"
    };

    ArchiverWrapper();
    ~ArchiverWrapper();
    ArchiverWrapper(const ArchiverWrapper&) = delete;
    ArchiverWrapper& operator=(const ArchiverWrapper&) = delete;

    bool isValid() const { return m_valid; }

    // The matching call number n waits for release() (or a kill of the program).
    void pauseAt(const Call& call, int n);
    // Each matching call whose number is listed waits for release(n) or release().
    void pauseAt(const Call& call, const QList<int>& numbers);
    // Whether call number n has paused (and not been released).
    bool hasPaused(int n) const;
    // What the wrapper's folder holds (call count, paused and release marks), for a failure
    // message that says how far the calls got.
    QString describe() const;
    // Matching calls from number n on fail without touching anything.
    void failFrom(const Call& call, int n);
    // No call is held back or fails any more; the count starts again.
    void clear();

    // The environment for a child program (OMBRIX_7ZA and the wrapper's settings).
    QMap<QString, QString> environment() const;
    // Makes the archiver runs of this process go through the wrapper while the object lives.
    void applyToThisProcess();

    // Waits until the chosen call has paused; false when it did not within timeoutMs or when
    // stillRunning() answers false first (the program ended before it got there).
    bool waitForPause(int timeoutMs, const std::function<bool()>& stillRunning = {});
    // Pid and arguments of the paused call (after waitForPause).
    qint64 pausedPid() const;
    QStringList pausedArguments() const;
    // The last argument of the paused call.
    QString pausedTarget() const;
    // Lets every paused call go on to the real archiver.
    void release();
    // Lets the paused call number n go on.
    void release(int n);
    // Matching calls so far.
    int count() const;

  private:
    void reset();
    QString file(const char* name) const;

    QTemporaryDir m_dir;
    bool m_valid = false;
    QString m_script;
    QMap<QString, QString> m_settings;
    bool m_applied = false;
    QMap<QString, QByteArray> m_previous;
};

} // namespace ombrix::test
