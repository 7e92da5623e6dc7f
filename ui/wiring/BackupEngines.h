#pragma once

#include <memory>

namespace ombrix {
class BackupRun;
class Host;
class IniStore;
class Readiness;
class RunLog;
struct ArchiveState;
struct BackupSession;
struct RunState;
} // namespace ombrix

namespace ombrix::ui {

class WindowBackupControls;

// One generation of the backup engines: the configuration store iniConfig opened on config.ini,
// the readiness check and the backup run on top of it (each with its destination and archiver
// runner). Every readiness pass makes a new generation, so nothing read by an earlier pass
// survives it; the run log, the run state and the session outlive the generations.
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

  private:
    std::unique_ptr<IniStore> m_config;
    std::unique_ptr<Readiness> m_readiness;
    std::unique_ptr<BackupRun> m_run;
};

} // namespace ombrix::ui
