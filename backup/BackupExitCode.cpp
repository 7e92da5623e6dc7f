#include "backup/BackupExitCode.h"

#include "core/app/ExitCode.h"

namespace ombrix {

int backupExitCode(const BackupOutcome& outcome)
{
    if (outcome.userStopped || outcome.runStatus >= RunDestinationLost)
        return app::ExitCode::NotCompleted;
    if (!outcome.completed && !outcome.nothingToDo)
        return app::ExitCode::NotCompleted;
    return outcome.runStatus == RunWarnings ? app::ExitCode::Warnings : app::ExitCode::Completed;
}

} // namespace ombrix
