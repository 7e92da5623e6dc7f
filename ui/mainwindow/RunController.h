#pragma once

#include "core/app/RunMode.h"
#include "core/host/RunState.h"
#include "ui/mainwindow/TerminalProgress.h"
#include "ui/mainwindow/TrayMessage.h"

#include <functional>
#include <optional>
#include <QObject>
#include <QString>

class QTimer;

namespace ombrix::ui {

class MainWindow;
class WindowHost;

// What depends on how the program was started: the auto-start timer Timer1 of an unattended
// run, the end of such a run (xExit), the tray menu's "Show" and "Exit", closing the window of a
// scheduled run (only hides it), the progress an unattended run prints on a terminal, and the
// tray message at the end of a scheduled run.
class RunController : public QObject
{
    Q_OBJECT

  public:
    RunController(app::RunMode mode, MainWindow* window, WindowHost* host, RunState* runState,
                  const QString& configPath, QObject* parent = nullptr);

    app::RunMode mode() const { return m_mode; }
    // A scheduled run, or the auto-start check box ticked now.
    bool isUnattended() const;

    // Start-up step 14: arms Timer1 when the run is unattended.
    void armAutoStart();
    QTimer* autoStartTimer() const { return m_timer1; }
    // Timer1's action: continue an interrupted merge, or press START, once.
    void Timer1Timer();

    // The end of an unattended run: stop flag, pages unlocked, the whole last status of the page
    // the run worked on printed on standard output, the tray message (where a tray exists), ten
    // seconds of responsive waiting (the last status stays readable), then the process ends with
    // exitCode (app::ExitCode). Does nothing in an interactive run.
    void xExit(int exitCode);
    // The same with the exit code the outcome source gives (Completed when none is set).
    void xExit();
    // Where xExit() takes the outcome of the run from: the backup wiring, which knows how the
    // backup run ended.
    void setOutcome(std::function<int()> outcome) { m_outcome = std::move(outcome); }
    // "Exit" of the tray menu (or SIGTERM): stops what runs, kills the child, ends the process.
    // While xExit waits, the process ends with the code xExit was given; otherwise the run was
    // cut off before it completed (app::ExitCode::NotCompleted).
    void Exit1Click();
    // "Show" of the tray menu (or SIGUSR1, or a double click on the icon).
    void Show1Click();

    // How the process ends; tests replace it. The default flushes the standard streams and ends
    // the process at once, without the normal window shutdown.
    void setTerminator(std::function<void(int code)> terminator) { m_terminate = std::move(terminator); }
    // The pause of xExit (10000 ms); tests shorten it.
    void setExitDelay(int milliseconds) { m_exitDelay = milliseconds; }
    // Called right before the process ends (the tray icon is removed there).
    void setBeforeEnd(std::function<void()> beforeEnd) { m_beforeEnd = std::move(beforeEnd); }
    // Where the word at the end of the run goes: the tray icon of a scheduled run; unset where
    // no tray exists. Tests record it here.
    void setTrayNotifier(std::function<void(const TrayMessage&)> notifier)
    {
        m_trayNotifier = std::move(notifier);
    }
    // The progress details the window's host receives are offered here; an unattended run prints
    // them on a terminal every few seconds.
    TerminalProgress& terminalProgress() { return m_terminalProgress; }

    // Ends the process through the terminator (after removing the tray icon).
    void endProcess(int code);

  Q_SIGNALS:
    // Timer1 found an interrupted merge: the merge page is shown; its wiring refreshes the page
    // and presses the merge button BitBtn4.
    void continueMergeRequested();
    // Timer1 presses START: the backup page is shown; the backup wiring runs BitBtn1's action.
    // A signal rather than a click, because a disabled button ignores clicks and START must run
    // even when the readiness check left it disabled.
    void startBackupRequested();

  private:
    app::RunMode m_mode;
    MainWindow* m_window;
    WindowHost* m_host;
    RunState* m_runState;
    QString m_configPath;
    QTimer* m_timer1;
    int m_timer1Tag = 0;
    int m_exitDelay = 10000;
    std::function<void(int)> m_terminate;
    std::function<void()> m_beforeEnd;
    std::function<int()> m_outcome;
    std::optional<int> m_endingWith;
    std::function<void(const TrayMessage&)> m_trayNotifier;
    TerminalProgress m_terminalProgress;
};

} // namespace ombrix::ui
