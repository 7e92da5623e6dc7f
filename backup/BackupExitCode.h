#pragma once

#include "backup/ScanResult.h"

namespace ombrix {

// How a backup run ended, as far as the exit code of an unattended run depends on it.
struct BackupOutcome
{
    bool completed = false;   // the run completed its set (BackupRun::runCompleted)
    int runStatus = RunOk;    // BackupRun::runStatus
    bool userStopped = false; // STOP was pressed (BackupRun::userStopped)
    bool nothingToDo = false; // the run ended early: no source entry, or nothing changed
};

// The exit code of an unattended run that ended with this backup run (app::ExitCode): Completed
// for a completed run or one with nothing to do, Warnings when such a run logged problems, and
// NotCompleted for everything else (stopped, destination lost, source-list error, a last set that
// could not be opened).
int backupExitCode(const BackupOutcome& outcome);

} // namespace ombrix
