#include "ui/mainwindow/TerminalProgress.h"

#include "core/util/Clock.h"

#include <cstdio>
#include <unistd.h>

namespace ombrix::ui {

TerminalProgress::TerminalProgress(std::function<bool()> active)
    : m_active(std::move(active)), m_terminal(standardOutputIsTerminal())
{
    m_write = [](const QString& line) {
        std::fprintf(stdout, "%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    };
}

bool TerminalProgress::standardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) == 1;
}

void TerminalProgress::offer(const QString& text)
{
    if (text.isEmpty() || !m_terminal || (m_active && !m_active()))
        return;
    const qint64 now = Clock::currentDateTimeUtc().toMSecsSinceEpoch();
    // A clock set back (or a fake moved back) starts the interval again rather than stalling.
    if (m_lastPrintMs >= 0 && now >= m_lastPrintMs && now - m_lastPrintMs < intervalMs)
        return;
    m_lastPrintMs = now;
    if (m_write)
        m_write(QStringLiteral("Ombrix: ") + text);
}

} // namespace ombrix::ui
