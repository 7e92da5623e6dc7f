#pragma once

#include "core/app/RunMode.h"

#include <memory>

namespace ombrix::ui {

class AttachWiring;
class BackupWiring;
class DestinationWiring;
class MergeWiring;
class NotifyWiring;
class ProgramShell;
class RestoreWiring;
class ScheduleWiring;

// The whole ombrix program put together: the shell (window, host, run modes), the languages and
// the backup, restore and merge engines wired into it. main() and the tests build the program the same way.
//
// OMBRIX_AUTOSTART_DELAY_MS and OMBRIX_EXIT_DELAY_MS, when set to a number, replace the 5000 ms
// of the auto-start timer and the 10000 ms pause before an unattended run ends the process.
class ProgramAssembly
{
  public:
    explicit ProgramAssembly(app::RunMode mode);
    ~ProgramAssembly();
    ProgramAssembly(const ProgramAssembly&) = delete;
    ProgramAssembly& operator=(const ProgramAssembly&) = delete;

    // The start-up sequence (with the readiness pass); false when the process is to end now.
    bool start();

    ProgramShell& shell() { return *m_shell; }
    BackupWiring& backup() { return *m_backup; }
    RestoreWiring& restore() { return *m_restore; }
    MergeWiring& merge() { return *m_merge; }
    NotifyWiring& notify() { return *m_notify; }
    ScheduleWiring& schedule() { return *m_schedule; }
    AttachWiring& attach() { return *m_attach; }

  private:
    std::unique_ptr<ProgramShell> m_shell;
    std::unique_ptr<BackupWiring> m_backup;
    std::unique_ptr<DestinationWiring> m_destination;
    std::unique_ptr<RestoreWiring> m_restore;
    std::unique_ptr<MergeWiring> m_merge;
    std::unique_ptr<NotifyWiring> m_notify;
    std::unique_ptr<ScheduleWiring> m_schedule;
    std::unique_ptr<AttachWiring> m_attach;
};

} // namespace ombrix::ui
