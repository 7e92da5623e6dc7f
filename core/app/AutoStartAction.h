#pragma once

namespace ombrix::app {

// What the auto-start timer does once an unattended run has started up.
enum class AutoStartAction
{
    None,          // a restore is pending: nothing starts
    ContinueMerge, // a merge was interrupted: it is continued instead of a backup
    StartBackup,   // START is pressed
};

// Decision from the stored SUM_DONE and RECOVERY_DONE flags (both read with default false).
AutoStartAction autoStartAction(bool sumDone, bool recoveryDone);

} // namespace ombrix::app
