#include "ui/wiring/ScheduleWiring.h"

#include "core/config/IniStore.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemdUserManager.h"
#include "ui/mainwindow/ScheduleGroup.h"

#include <utility>

namespace ombrix::ui {

ScheduleWiring::ScheduleWiring(ScheduleGroup* group, QString configPath, QObject* parent)
    : QObject(parent), m_group(group), m_configPath(std::move(configPath))
{
    connect(m_group, &ScheduleGroup::applyRequested, this, &ScheduleWiring::apply);
}

ScheduleWiring::~ScheduleWiring() = default;

platform::UserServiceManager& ScheduleWiring::manager()
{
    if (m_manager)
        return *m_manager;
    if (!m_systemd)
        m_systemd = std::make_unique<platform::SystemdUserManager>();
    return *m_systemd;
}

platform::ScheduleOutcome ScheduleWiring::apply(const BackupSchedule& schedule)
{
    platform::ScheduleOutcome outcome;
    IniStore config(m_configPath);
    if (!schedule.writeTo(config)) {
        // The stored schedule and the timer must not disagree: nothing is changed.
        outcome.state = platform::ScheduleOutcome::State::Failed;
        outcome.detail = config.lastError();
        m_group->showOutcome(schedule, outcome);
        return outcome;
    }
    platform::UserSchedule userSchedule(
        manager(), m_unitFolder.isEmpty() ? platform::UserSchedule::userUnitFolder() : m_unitFolder,
        m_program.isEmpty() ? platform::executablePath() : m_program,
        m_programFolder.isEmpty() ? platform::programFolder() : m_programFolder);
    outcome = userSchedule.apply(schedule);
    m_group->showOutcome(schedule, outcome);
    return outcome;
}

} // namespace ombrix::ui
