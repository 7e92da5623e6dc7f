#pragma once

#include "archive/ArchiveState.h"
#include "backup/BackupSession.h"

#include <memory>
#include <QObject>

namespace ombrix::ui {

class BackupEngines;
class LogViewer;
class ProgramShell;
class WindowBackupControls;

// Connects the backup engines to the main window: START/STOP/"pokračovat.." (BitBtn1), skip
// (Button21), reset (Button5), the auto-start timer's press of START, the destination page's
// request for a readiness pass, and the log viewer. Each readiness pass replaces the engines
// (configuration store, readiness check, backup run) with a fresh generation; a pass the
// running backup asks for runs on the engines of that run, which must outlive it. The restore and
// merge wiring share the generation their engines were made on, so an operation of theirs that
// lets events run (a size measurement, a set test, a set choice) keeps its store alive through a
// pass that replaces it.
class BackupWiring : public QObject
{
    Q_OBJECT

  public:
    explicit BackupWiring(ProgramShell& shell, QObject* parent = nullptr);
    ~BackupWiring() override;

    // The readiness check (inicializace) of start-up and of the destination page's "Použij".
    void readinessCheck();

    // The buttons' actions.
    void BitBtn1Click();
    void Button21Click();
    void Button5Click();

    // Nothing before the first readiness pass.
    BackupEngines* engines() const { return m_engines.get(); }
    // The current generation, for engines that are made on its store and must keep it.
    std::shared_ptr<BackupEngines> shareEngines() const { return m_engines; }
    WindowBackupControls& controls() { return *m_controls; }
    LogViewer* logViewer() const { return m_logViewer; }
    BackupSession& session() { return m_session; }
    // Shared with the restore and merge engines (the colour cache of the set lists among it).
    ArchiveState& archiveState() { return m_archiveState; }

    // The exit code of an unattended run that ends now (app::ExitCode): from how the backup run
    // in progress ended, or NotCompleted when the readiness check found the destination
    // unreachable.
    int unattendedExitCode() const;

  private:
    void renewEngines();
    void showLog(const QString& path);

    ProgramShell& m_shell;
    LogViewer* m_logViewer;
    std::unique_ptr<WindowBackupControls> m_controls;
    BackupSession m_session;
    ArchiveState m_archiveState;
    std::shared_ptr<BackupEngines> m_engines;
    int m_runDepth = 0;
    bool m_inReadiness = false;
    bool m_readinessPending = false;
    // The run in progress ended early because there was nothing to back up or nothing changed.
    bool m_runFoundNothing = false;
};

} // namespace ombrix::ui
