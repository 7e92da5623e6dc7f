#pragma once

#include "core/app/RunMode.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "ui/mainwindow/EngineHooks.h"

#include <memory>
#include <QObject>

namespace ombrix::platform {
class UnixSignals;
}

namespace ombrix::ui {

class MainWindow;
class RunController;
class TrayIcon;
class WindowHost;

// The running program around the engines: builds the main window, its Host and the run-mode
// behaviour, and runs the start-up sequence in its order. The engines plug in through the hooks
// and through the signals of RunController.
class ProgramShell : public QObject
{
    Q_OBJECT

  public:
    ProgramShell(app::RunMode mode, EngineHooks hooks, QObject* parent = nullptr);
    ~ProgramShell() override;

    // The start-up sequence; shows the window unless the run is scheduled. False when the process
    // is to end now (an update took over, or the program folder is not writable).
    bool start();
    // The exit code for a start that returned false: 0 when an update took over, 2 (not
    // completed) when the program folder is not writable. That failure is also printed on
    // standard error, where a scheduled or headless run leaves it for cron or the journal, since
    // no person sees its message box there.
    int startExitCode() const { return m_startExitCode; }
    static constexpr int permissionFailureExitCode = 2;

    MainWindow* window() const { return m_window.get(); }
    WindowHost* host() const { return m_host; }
    RunController* controller() const { return m_controller; }
    TrayIcon* tray() const { return m_tray; }
    platform::UnixSignals* unixSignals() const { return m_signals; }
    RunLog& runLog() { return m_runLog; }
    RunState& runState() { return m_runState; }
    // Daylight-saving time was in force at start (the value holds for the whole run).
    bool daylightSaving() const { return m_daylightSaving; }
    const QString& noCompressExtensions() const { return m_noCompressExtensions; }

    // The message shown when the program folder cannot be written.
    static QString permissionMessage();

  private:
    // Each showing of the window.
    void FormShow();
    QString tr_(const QString& text) const;

    app::RunMode m_mode;
    EngineHooks m_hooks;
    RunState m_runState;
    RunLog m_runLog;
    std::unique_ptr<MainWindow> m_window;
    WindowHost* m_host = nullptr;
    RunController* m_controller = nullptr;
    TrayIcon* m_tray = nullptr;
    platform::UnixSignals* m_signals = nullptr;
    bool m_daylightSaving = false;
    QString m_noCompressExtensions;
    int m_startExitCode = 0;
};

} // namespace ombrix::ui
