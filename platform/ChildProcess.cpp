#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <QFile>
#include <QProcess>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ombrix::platform {

namespace {

constexpr int waitSliceMs = 50;

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

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!m_request.workingDirectory.isEmpty()) {
        posix_spawn_file_actions_addchdir_np(&actions,
                                             QFile::encodeName(m_request.workingDirectory).constData());
    }
    if (inputPair[1] >= 0)
        posix_spawn_file_actions_adddup2(&actions, inputPair[1], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The output file is opened by the child after the folder change, exactly where a shell's
    // "> file" would put a relative name; callers pass full paths anyway.
    const QByteArray outputFile = QFile::encodeName(m_request.stdoutFile);
    if (!outputFile.isEmpty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0666);
    } else if (m_request.hidden) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (!outputFile.isEmpty() && m_request.stderrToStdoutFile)
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    else if (m_request.hidden)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    // Own session and process group (pgid = pid, no controlling terminal, so nothing can prompt
    // on the terminal we were started from); signals back to their defaults and unblocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int error =
        posix_spawnp(&pid, program.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (inputPair[1] >= 0)
        ::close(inputPair[1]);
    if (error != 0) {
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
