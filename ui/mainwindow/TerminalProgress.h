#pragma once

#include <functional>
#include <QString>

namespace ombrix::ui {

// The progress detail of an unattended run on standard output, for a person who started it in a
// terminal: one line "Ombrix: <detail>" every few seconds. Nothing is printed when standard
// output is not a terminal (cron, a systemd journal, a pipe), so logs do not fill with progress.
class TerminalProgress
{
  public:
    // The least time between two printed lines.
    static constexpr qint64 intervalMs = 5000;

    // active: whether the run is unattended now (asked at every offer).
    explicit TerminalProgress(std::function<bool()> active);

    // A new detail from a page; printed when the run is unattended, standard output is a
    // terminal and intervalMs has passed since the last printed line (the first one at once).
    // Empty texts are never printed.
    void offer(const QString& text);

    // Test seams: whether standard output counts as a terminal, and where the lines go.
    void setTerminal(bool terminal) { m_terminal = terminal; }
    void setWriter(std::function<void(const QString& line)> writer) { m_write = std::move(writer); }

    // Whether standard output of this process is a terminal.
    static bool standardOutputIsTerminal();

  private:
    std::function<bool()> m_active;
    std::function<void(const QString&)> m_write;
    bool m_terminal;
    qint64 m_lastPrintMs = -1;
};

} // namespace ombrix::ui
