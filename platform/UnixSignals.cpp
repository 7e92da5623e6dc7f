#include "platform/UnixSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

namespace ombrix::platform {

namespace {

// [0] is written by the handlers, [1] read by the notifier.
int g_pipe[2] = {-1, -1};

void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // Nothing useful can be done about a full or closed pipe inside a handler.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
    errno = savedErrno;
}

bool setHandler(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(number, &action, nullptr) == 0;
}

} // namespace

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {}

UnixSignals::~UnixSignals()
{
    uninstall();
}

bool UnixSignals::install()
{
    if (m_notifier)
        return true;
    if (g_pipe[0] >= 0)
        return false; // another object holds the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignals::readPending);
    if (!setHandler(SIGTERM, onSignal) || !setHandler(SIGUSR1, onSignal)) {
        uninstall();
        return false;
    }
    return true;
}

void UnixSignals::uninstall()
{
    if (!m_notifier)
        return;
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGUSR1, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void UnixSignals::readPending()
{
    char bytes[16];
    ssize_t got;
    while ((got = ::read(g_pipe[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (bytes[i] == static_cast<char>(SIGTERM))
                Q_EMIT terminateRequested();
            else if (bytes[i] == static_cast<char>(SIGUSR1))
                Q_EMIT showRequested();
        }
    }
}

} // namespace ombrix::platform
