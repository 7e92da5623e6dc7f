#include "platform/UserSchedule.h"

#include "core/schedule/ScheduleUnits.h"
#include "core/text/TextFile.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <utility>

namespace ombrix::platform {

namespace {

QString timerUnit()
{
    return QString(ScheduleUnits::timerName);
}

} // namespace

UserSchedule::UserSchedule(UserServiceManager& manager, QString unitFolder, QString program,
                           QString programFolder)
    : m_manager(manager), m_unitFolder(std::move(unitFolder)), m_program(std::move(program)),
      m_programFolder(std::move(programFolder))
{
}

QString UserSchedule::userUnitFolder()
{
    return QDir(userConfigFolder()).filePath(QStringLiteral("systemd/user"));
}

QString UserSchedule::servicePath() const
{
    return QDir(m_unitFolder).filePath(QString(ScheduleUnits::serviceName));
}

QString UserSchedule::timerPath() const
{
    return QDir(m_unitFolder).filePath(timerUnit());
}

bool UserSchedule::isInstalled() const
{
    return QFileInfo::exists(servicePath()) && QFileInfo::exists(timerPath());
}

ScheduleOutcome UserSchedule::apply(const BackupSchedule& schedule)
{
    return schedule.isOn() ? enable(schedule) : disable();
}

bool UserSchedule::command(const QStringList& arguments, ScheduleOutcome* outcome)
{
    const ServiceCommandResult result = m_manager.run(arguments);
    if (result.ok)
        return true;
    outcome->state = ScheduleOutcome::State::Failed;
    outcome->detail = QStringLiteral("systemctl --user ") + arguments.join(QLatin1Char(' '));
    if (!result.output.isEmpty())
        outcome->detail += QStringLiteral(": ") + result.output;
    return false;
}

ScheduleOutcome UserSchedule::enable(const BackupSchedule& schedule)
{
    ScheduleOutcome outcome;
    if (!ScheduleUnits::fits(m_program) || !ScheduleUnits::fits(m_programFolder)) {
        // Neither a unit file nor a crontab line can hold a path with a line break.
        outcome.detail = QStringLiteral("The path of the program or of its folder holds a control character");
        return outcome;
    }
    outcome.crontabLine = ScheduleUnits::crontabLine(schedule, m_program, m_programFolder);
    if (!m_manager.isAvailable()) {
        outcome.state = ScheduleOutcome::State::NoUserManager;
        return outcome;
    }

    // A timer that runs already keeps its old time until it is restarted.
    const bool replacing = QFileInfo::exists(timerPath());
    if (!QDir().mkpath(m_unitFolder)) {
        outcome.detail = QStringLiteral("Unable to create %1").arg(m_unitFolder);
        return outcome;
    }
    const QList<std::pair<QString, QString>> files = {
        {servicePath(), ScheduleUnits::serviceText(m_program, m_programFolder)},
        {timerPath(), ScheduleUnits::timerText(schedule)},
    };
    for (const auto& [path, text] : files) {
        if (!TextFile::writeAtomically(path, text.toUtf8())) {
            outcome.detail = QStringLiteral("Unable to write to %1").arg(path);
            return outcome;
        }
    }
    if (!command({QStringLiteral("daemon-reload")}, &outcome) ||
        !command({QStringLiteral("enable"), QStringLiteral("--now"), timerUnit()}, &outcome))
        return outcome;
    if (replacing && !command({QStringLiteral("restart"), timerUnit()}, &outcome))
        return outcome;
    outcome.state = ScheduleOutcome::State::Enabled;
    outcome.crontabLine.clear();
    return outcome;
}

ScheduleOutcome UserSchedule::disable()
{
    ScheduleOutcome outcome;
    const bool hadTimer = QFileInfo::exists(timerPath());
    const bool hadService = QFileInfo::exists(servicePath());
    if (!hadTimer && !hadService) {
        outcome.state = ScheduleOutcome::State::Disabled;
        return outcome;
    }
    // Without a user manager there is nothing running to stop; the files still go.
    const bool managed = m_manager.isAvailable();
    if (managed && hadTimer &&
        !command({QStringLiteral("disable"), QStringLiteral("--now"), timerUnit()}, &outcome))
        return outcome;
    for (const QString& path : {timerPath(), servicePath()}) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            outcome.detail = QStringLiteral("Unable to remove %1").arg(path);
            return outcome;
        }
    }
    if (managed && !command({QStringLiteral("daemon-reload")}, &outcome))
        return outcome;
    outcome.state = ScheduleOutcome::State::Disabled;
    return outcome;
}

} // namespace ombrix::platform
