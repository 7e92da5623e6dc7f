#pragma once

#include <memory>

namespace ombrix {
class BackupRun;
class Host;
class IniStore;
class ProgramDestination;
class Readiness;
class RunLog;
struct ArchiveState;
struct BackupSession;
struct RunState;
} // namespace ombrix

namespace ombrix::ui {

class WindowBackupControls;

// One generation of the backup engines: the configuration store iniConfig opened on config.ini,
// the destination it names, and the readiness check and the backup run on top of them. Every readiness pass
// makes a new generation, so nothing read by an earlier pass survives it; the run log, the run state and the
// session outlive the generations.
class BackupEngines
{
  public:
    BackupEngines(Host& host, WindowBackupControls& controls, RunLog& runLog, RunState& runState,
                  ArchiveState& archiveState, BackupSession& session);
    ~BackupEngines();
    BackupEngines(const BackupEngines&) = delete;
    BackupEngines& operator=(const BackupEngines&) = delete;

    IniStore& config() { return *m_config; }
    Readiness& readiness() { return *m_readiness; }
    BackupRun& run() { return *m_run; }
    // The destination of the kind this store names, with its FTP connection; the restore and
    // merge engines of the generation work on it too.
    ProgramDestination& destination() { return *m_destination; }

  private:
    std::unique_ptr<IniStore> m_config;
    std::unique_ptr<ProgramDestination> m_destination;
    std::unique_ptr<Readiness> m_readiness;
    std::unique_ptr<BackupRun> m_run;
};

} // namespace ombrix::ui
