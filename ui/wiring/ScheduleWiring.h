#pragma once

#include "core/schedule/BackupSchedule.h"
#include "platform/UserSchedule.h"

#include <memory>
#include <QObject>
#include <QString>

namespace ombrix::ui {

class ScheduleGroup;

// The schedule group of the settings page put to work: "Použij" stores SCHEDULE, SCHEDULE_TIME
// and SCHEDULE_DAY in config.ini, then turns the schedule into a systemd user timer for this
// program and its program folder (or removes it), and the group shows what came of it.
class ScheduleWiring : public QObject
{
    Q_OBJECT

  public:
    // configPath: the config.ini the keys go to.
    ScheduleWiring(ScheduleGroup* group, QString configPath, QObject* parent = nullptr);
    ~ScheduleWiring() override;

    // The service manager to talk to; null (the default) is the real "systemctl --user". Not
    // owned. Tests put a recorder here so the real user manager is never touched.
    void setServiceManager(platform::UserServiceManager* manager) { m_manager = manager; }
    // Where the unit files go (default: $XDG_CONFIG_HOME/systemd/user when applied).
    void setUnitFolder(const QString& folder) { m_unitFolder = folder; }
    // The program the service starts (default: this executable) and the folder its runs use
    // (default: the program folder).
    void setProgram(const QString& program) { m_program = program; }
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    // "Použij": stores the keys and applies the schedule; the group shows the outcome, which is
    // also returned. Nothing reaches the service manager when config.ini cannot be written.
    platform::ScheduleOutcome apply(const BackupSchedule& schedule);

  private:
    platform::UserServiceManager& manager();

    ScheduleGroup* m_group;
    QString m_configPath;
    platform::UserServiceManager* m_manager = nullptr;
    std::unique_ptr<platform::UserServiceManager> m_systemd;
    QString m_unitFolder;
    QString m_program;
    QString m_programFolder;
};

} // namespace ombrix::ui
