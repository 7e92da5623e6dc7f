#pragma once

#include "core/host/RunState.h"

#include <functional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix::platform {

// What to start. The program gets its arguments one by one: no shell ever sees them, so quotes,
// spaces, "*", "$" or a leading "-" in a file name reach the program exactly as given.
struct ChildRequest
{
    // A path, or a bare name looked up on PATH.
    QString program;
    QStringList arguments;
    // Start folder; empty keeps the current one.
    QString workingDirectory;
    // When set, standard output goes to this file (created or truncated), like "> file".
    QString stdoutFile;
    // With stdoutFile: the error stream goes into the same file, like "> file 2>&1".
    bool stderrToStdoutFile = false;
    // Bytes written to the child's standard input, which is closed right after them, so a
    // program that asks for more input sees the end of it instead of waiting. Without bytes the
    // child reads from /dev/null.
    QByteArray standardInput;
    // A hidden child writes nothing to the terminal: whatever is not redirected goes to
    // /dev/null. A shown child (a program the user named) shares ours.
    bool hidden = true;
    // "NAME=value" entries added to (or replacing in) the inherited environment.
    QStringList environment;
};

struct ChildResult
{
    bool started = false;
    // The operating system's text for why the start failed.
    QString errorText;
    // Exit code of a child that ended by itself; -1 when it was killed by a signal.
    int exitCode = -1;
    bool killed = false;
};

// One child process in its own session and process group, so killing the group ends the child
// and everything it started. The object owns the child: destroying it while the child still
// runs kills the group and reaps the child, so no zombie is ever left behind.
class ChildProcess
{
  public:
    explicit ChildProcess(ChildRequest request);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start();
    // Waits at most timeoutMs for the child to end, feeding its standard input meanwhile.
    // Returns true once the child has ended (and has been reaped).
    bool waitFor(int timeoutMs);
    // SIGKILL to the child's whole process group.
    void kill();
    // Waits at most timeoutMs until any of the children ends, feeding their standard input
    // meanwhile, so several children can run at once and each is seen the moment it ends.
    // True when at least one of them has ended (and has been reaped); false at once when none
    // of them is running.
    static bool waitForAny(const std::vector<ChildProcess*>& children, int timeoutMs);

    qint64 processId() const { return m_pid; }
    bool running() const { return m_pid > 0 && !m_ended; }
    const ChildResult& result() const { return m_result; }

  private:
    void feedInput();
    void closeInput();
    bool reap(bool block);

    ChildRequest m_request;
    ChildResult m_result;
    qint64 m_pid = 0;
    int m_pidFd = -1;
    int m_inputFd = -1;
    qsizetype m_inputWritten = 0;
    bool m_ended = false;
};

// Starts a program and waits for it, calling pump every 50 ms while it runs (the window stays
// responsive and STOP can kill the child from inside pump). The child's pid is in
// state.lastProcessId while the wait lasts and -1 afterwards. The exit code is reported for
// whoever wants it; the archiver's outcome is judged from its files, never from the code.
ChildResult ShellExecAndWait(const ChildRequest& request, RunState& state, const std::function<void()>& pump);

// Ends a process at once: a child started here together with everything it started (its process
// group); any other id just that process. Ids of 0 or less, or of no process, do nothing.
void KillProcessId(qint64 id);

// Starts a program without waiting for it (the program after a backup, the restart script). The
// child is detached into its own session and is not our child any more, so it never becomes a
// zombie of ours. Returns false with the system's error text when it cannot be started.
bool startDetached(const ChildRequest& request, QString* errorText = nullptr);

} // namespace ombrix::platform
