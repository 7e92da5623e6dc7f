#include "platform/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ombrix::platform {

namespace {

constexpr int waitSliceMs = 50;
// Without a pidfd a child's end cannot be waited for together with others; it is asked for this
// often instead.
constexpr int blindSliceMs = 5;

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The inherited environment with the request's entries put over it.
std::vector<QByteArray> buildEnvironment(const QStringList& overrides)
{
    std::vector<QByteArray> entries;
    for (char** entry = environ; entry && *entry; ++entry)
        entries.emplace_back(*entry);
    for (const QString& override : overrides) {
        const QByteArray encoded = override.toLocal8Bit();
        const qsizetype equals = encoded.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray prefix = encoded.left(equals + 1);
        std::erase_if(entries, [&](const QByteArray& e) { return e.startsWith(prefix); });
        entries.push_back(encoded);
    }
    return entries;
}

int openPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
        return int(fd);
    }
#else
    Q_UNUSED(pid);
#endif
    return -1;
}

// What the child does before it becomes the program; filled in the parent.
struct SpawnPlan
{
    const char* executable = nullptr;
    char* const* argv = nullptr;
    char* const* envp = nullptr;
    const char* workingDirectory = nullptr;
    int inputFd = -1;
    const char* outputFile = nullptr;
    bool stderrToOutput = false;
    bool hidden = true;
    pid_t parentPid = 0;
};

// A program name as execve needs it: a name with a "/" as it is, a bare name looked up on PATH.
QByteArray resolveProgram(const QByteArray& program)
{
    if (program.contains('/'))
        return program;
    const QString found = QStandardPaths::findExecutable(QFile::decodeName(program));
    return found.isEmpty() ? QByteArray() : QFile::encodeName(found);
}

[[noreturn]] void failInChild(int reportFd)
{
    const int error = errno;
    ssize_t ignored = ::write(reportFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

bool redirect(int target, const char* file, int flags)
{
    const int fd = ::open(file, flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::dup2(fd, target) >= 0;
    ::close(fd);
    return ok;
}

// Runs in the child, in the parent's memory (vfork): system calls only, nothing that allocates
// or writes to shared state. The reading end of the report pipe closes itself on execve.
[[noreturn]] void becomeChild(const SpawnPlan& plan, int reportFd)
{
    // Own session and process group (pgid = pid, no controlling terminal, so nothing can prompt
    // on the terminal we were started from).
    if (::setsid() < 0)
        failInChild(reportFd);
    // The child dies with us: a program killed with SIGKILL leaves no archiver running on.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        failInChild(reportFd);
    if (::getppid() != plan.parentPid)
        ::_exit(127); // we were already gone before the death signal was armed
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2})
        ::sigaction(signal, &defaultAction, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (plan.workingDirectory && ::chdir(plan.workingDirectory) != 0)
        failInChild(reportFd);
    if (plan.inputFd >= 0) {
        if (::dup2(plan.inputFd, STDIN_FILENO) < 0)
            failInChild(reportFd);
    } else if (!redirect(STDIN_FILENO, "/dev/null", O_RDONLY)) {
        failInChild(reportFd);
    }
    if (plan.outputFile) {
        if (!redirect(STDOUT_FILENO, plan.outputFile, O_WRONLY | O_CREAT | O_TRUNC))
            failInChild(reportFd);
    } else if (plan.hidden && !redirect(STDOUT_FILENO, "/dev/null", O_WRONLY)) {
        failInChild(reportFd);
    }
    if (plan.stderrToOutput) {
        if (::dup2(STDOUT_FILENO, STDERR_FILENO) < 0)
            failInChild(reportFd);
    } else if (plan.hidden && !redirect(STDERR_FILENO, "/dev/null", O_WRONLY)) {
        failInChild(reportFd);
    }
    ::execve(plan.executable, plan.argv, plan.envp);
    failInChild(reportFd);
}

// vfork + exec with a close-on-exec pipe that carries the child's errno back when it cannot
// become the program, so a missing program is reported like a failed start.
//
// vfork rather than fork: the child borrows our memory until it calls execve, so starting the
// archiver for every file does not copy this process's page tables and then fault in copies of
// every page we write to afterwards. The child only makes system calls on data prepared here.
// Signals stay blocked from before the vfork until the child has set every handler back to the
// default, so none of our handlers can run in the borrowed memory.
pid_t spawnChild(const SpawnPlan& plan, int* error)
{
    int report[2] = {-1, -1};
    if (::pipe2(report, O_CLOEXEC) != 0) {
        *error = errno;
        return -1;
    }
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::vfork();
    if (pid == 0)
        becomeChild(plan, report[1]);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    if (pid < 0) {
        *error = errno;
        ::close(report[0]);
        return -1;
    }
    int childError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof childError) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        *error = childError;
        return -1;
    }
    return pid;
}

} // namespace

ChildProcess::ChildProcess(ChildRequest request) : m_request(std::move(request)) {}

ChildProcess::~ChildProcess()
{
    if (running()) {
        kill();
        reap(true);
    }
    closeInput();
    if (m_pidFd >= 0)
        ::close(m_pidFd);
}

bool ChildProcess::start()
{
    if (m_pid != 0)
        return false;

    const QByteArray program = QFile::encodeName(m_request.program);
    std::vector<QByteArray> argumentBytes;
    argumentBytes.push_back(program);
    for (const QString& argument : m_request.arguments)
        argumentBytes.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environmentBytes = buildEnvironment(m_request.environment);
    std::vector<char*> envp;
    for (QByteArray& entry : environmentBytes)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    if (program.isEmpty()) {
        m_result.errorText = systemErrorText(ENOENT);
        return false;
    }

    // Standard input: a socket rather than a pipe, so writing to a child that has already gone
    // can be told not to raise SIGPIPE in this process (MSG_NOSIGNAL).
    int inputPair[2] = {-1, -1};
    if (!m_request.standardInput.isEmpty() &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputPair) != 0) {
        m_result.errorText = systemErrorText(errno);
        return false;
    }

    // Everything the child needs is prepared here: between fork and exec only async-signal-safe
    // calls may run, so no allocation, no Qt and no PATH search happen over there.
    const QByteArray executable = resolveProgram(program);
    if (executable.isEmpty()) {
        if (inputPair[0] >= 0)
            ::close(inputPair[0]);
        if (inputPair[1] >= 0)
            ::close(inputPair[1]);
        m_result.errorText = systemErrorText(ENOENT);
        return false;
    }
    const QByteArray workingDirectory = QFile::encodeName(m_request.workingDirectory);
    // The output file is opened by the child after the folder change, exactly where a shell's
    // "> file" would put a relative name; callers pass full paths anyway.
    const QByteArray outputFile = QFile::encodeName(m_request.stdoutFile);
    SpawnPlan plan;
    plan.executable = executable.constData();
    plan.argv = argv.data();
    plan.envp = envp.data();
    plan.workingDirectory = workingDirectory.isEmpty() ? nullptr : workingDirectory.constData();
    plan.inputFd = inputPair[1];
    plan.outputFile = outputFile.isEmpty() ? nullptr : outputFile.constData();
    plan.stderrToOutput = !outputFile.isEmpty() && m_request.stderrToStdoutFile;
    plan.hidden = m_request.hidden;
    plan.parentPid = ::getpid();

    int error = 0;
    const pid_t pid = spawnChild(plan, &error);
    if (inputPair[1] >= 0)
        ::close(inputPair[1]);
    if (pid < 0) {
        if (inputPair[0] >= 0)
            ::close(inputPair[0]);
        m_result.errorText = systemErrorText(error);
        return false;
    }

    m_pid = pid;
    m_result.started = true;
    m_pidFd = openPidFd(pid);
    if (inputPair[0] >= 0) {
        m_inputFd = inputPair[0];
        ::fcntl(m_inputFd, F_SETFL, ::fcntl(m_inputFd, F_GETFL) | O_NONBLOCK);
        feedInput();
    }
    return true;
}

void ChildProcess::feedInput()
{
    const QByteArray& bytes = m_request.standardInput;
    while (m_inputFd >= 0 && m_inputWritten < bytes.size()) {
        const ssize_t sent = ::send(m_inputFd, bytes.constData() + m_inputWritten,
                                    size_t(bytes.size() - m_inputWritten), MSG_NOSIGNAL);
        if (sent > 0) {
            m_inputWritten += sent;
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return; // the child has not read yet; the rest goes at the next slice
        } else {
            break; // the child closed its input or ended
        }
    }
    closeInput();
}

void ChildProcess::closeInput()
{
    if (m_inputFd >= 0) {
        ::close(m_inputFd);
        m_inputFd = -1;
    }
}

bool ChildProcess::reap(bool block)
{
    if (m_ended)
        return true;
    if (m_pid <= 0)
        return false;
    int status = 0;
    pid_t got = 0;
    do {
        got = ::waitpid(pid_t(m_pid), &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0)
        return false;
    m_ended = true;
    closeInput();
    if (got < 0) {
        // Someone else reaped it (cannot happen unless a signal handler does); treat as ended.
        m_result.exitCode = -1;
        return true;
    }
    if (WIFEXITED(status)) {
        m_result.exitCode = WEXITSTATUS(status);
    } else {
        m_result.exitCode = -1;
        m_result.killed = WIFSIGNALED(status);
    }
    return true;
}

bool ChildProcess::waitFor(int timeoutMs)
{
    if (!running())
        return m_ended;
    feedInput();
    if (reap(false))
        return true;
    pollfd fds[2];
    nfds_t count = 0;
    if (m_pidFd >= 0)
        fds[count++] = pollfd{m_pidFd, POLLIN, 0};
    if (m_inputFd >= 0)
        fds[count++] = pollfd{m_inputFd, POLLOUT, 0};
    const int ready = ::poll(count ? fds : nullptr, count, timeoutMs);
    if (ready > 0 && m_inputFd >= 0)
        feedInput();
    return reap(false);
}

bool ChildProcess::waitForAny(const std::vector<ChildProcess*>& children, int timeoutMs)
{
    std::vector<pollfd> fds;
    bool blind = false;
    for (ChildProcess* child : children) {
        if (!child || child->m_pid <= 0)
            continue;
        if (child->m_ended)
            return true;
        child->feedInput();
        if (child->reap(false))
            return true;
        if (child->m_pidFd >= 0)
            fds.push_back(pollfd{child->m_pidFd, POLLIN, 0});
        else
            blind = true;
        if (child->m_inputFd >= 0)
            fds.push_back(pollfd{child->m_inputFd, POLLOUT, 0});
    }
    if (fds.empty() && !blind)
        return false;
    const int timeout = blind ? std::min(timeoutMs, blindSliceMs) : timeoutMs;
    ::poll(fds.empty() ? nullptr : fds.data(), nfds_t(fds.size()), timeout);
    bool ended = false;
    for (ChildProcess* child : children) {
        if (!child || !child->running())
            continue;
        child->feedInput();
        if (child->reap(false))
            ended = true;
    }
    return ended;
}

void ChildProcess::kill()
{
    if (running())
        ::kill(-pid_t(m_pid), SIGKILL);
}

ChildResult ShellExecAndWait(const ChildRequest& request, RunState& state, const std::function<void()>& pump)
{
    ChildProcess child(request);
    if (!child.start())
        return child.result();
    state.lastProcessId = child.processId();
    while (!child.waitFor(waitSliceMs)) {
        if (pump)
            pump();
    }
    state.lastProcessId = -1;
    return child.result();
}

void KillProcessId(qint64 id)
{
    if (id <= 0 || id > std::numeric_limits<pid_t>::max())
        return;
    const pid_t pid = pid_t(id);
    // A child started here leads its own process group; kill the group so whatever it started
    // goes too. Our own id (ending the program) and foreign processes get a plain kill: never
    // the group we ourselves belong to.
    if (pid != ::getpid() && ::getpgid(pid) == pid && ::getpgrp() != pid)
        ::kill(-pid, SIGKILL);
    else
        ::kill(pid, SIGKILL);
}

bool startDetached(const ChildRequest& request, QString* errorText)
{
    QProcess process;
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    if (!request.workingDirectory.isEmpty())
        process.setWorkingDirectory(request.workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (request.hidden) {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    }
    if (!request.environment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : request.environment) {
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            if (equals > 0)
                environment.insert(entry.left(equals), entry.mid(equals + 1));
        }
        process.setProcessEnvironment(environment);
    }
    const bool started = process.startDetached();
    if (!started && errorText)
        *errorText = process.errorString();
    return started;
}

} // namespace ombrix::platform
