#pragma once

#include "core/schedule/BackupSchedule.h"
#include "platform/UserServiceManager.h"

#include <QString>

namespace ombrix::platform {

// What applying a schedule did, for the settings page to say.
struct ScheduleOutcome
{
    enum class State
    {
        Enabled,       // the service and timer are written, the timer is enabled and running
        Disabled,      // the timer is stopped and both files are gone (or there were none)
        NoUserManager, // no systemd user manager answers: nothing was written, see crontabLine
        Failed,        // a file could not be written or removed, or a command failed: see detail
    };
    State state = State::Failed;
    // With Failed: what went wrong ("Unable to write to <file>", or the command and its answer).
    QString detail;
    // Whenever the schedule is on but not enabled through systemd: the crontab line that would
    // run the same backups.
    QString crontabLine;
};

// The backup schedule of one program folder as a systemd user timer: "ombrix-backup.service"
// runs the program with -start on the folder, "ombrix-backup.timer" starts it at the chosen
// times. Turning the schedule on writes both into the user's unit folder and enables the timer
// ("systemctl --user daemon-reload", "enable --now"; a changed schedule also restarts the timer
// so the new time counts at once); turning it off disables the timer and removes both files.
// Where no user manager answers, nothing is written and the outcome carries the crontab line
// that would do the same.
class UserSchedule
{
  public:
    // unitFolder: where the unit files go (userUnitFolder() for the real one); program: the
    // executable the service starts; programFolder: the folder the scheduled runs use.
    UserSchedule(UserServiceManager& manager, QString unitFolder, QString program, QString programFolder);

    // $XDG_CONFIG_HOME/systemd/user (~/.config/systemd/user), where systemd reads a user's own units.
    static QString userUnitFolder();

    ScheduleOutcome apply(const BackupSchedule& schedule);
    // Both unit files are in the unit folder.
    bool isInstalled() const;

    QString servicePath() const;
    QString timerPath() const;

  private:
    ScheduleOutcome enable(const BackupSchedule& schedule);
    ScheduleOutcome disable();
    // Runs one command; false with outcome->detail set when it failed.
    bool command(const QStringList& arguments, ScheduleOutcome* outcome);

    UserServiceManager& m_manager;
    QString m_unitFolder;
    QString m_program;
    QString m_programFolder;
};

} // namespace ombrix::platform
