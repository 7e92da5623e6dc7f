#include "notify/IgnoreBrokenPipe.h"

#include <csignal>
#include <mutex>

namespace ombrix {

void ignoreBrokenPipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        if (previous != SIG_DFL && previous != SIG_ERR)
            std::signal(SIGPIPE, previous);
    });
}

} // namespace ombrix
