#include "ui/wiring/BackupEngines.h"

#include "backup/BackupRun.h"
#include "backup/Readiness.h"
#include "core/config/IniStore.h"
#include "platform/ProgramFolder.h"
#include "storage/ProgramDestination.h"
#include "ui/wiring/WindowBackupControls.h"

namespace ombrix::ui {

BackupEngines::BackupEngines(Host& host, WindowBackupControls& controls, RunLog& runLog, RunState& runState,
                             ArchiveState& archiveState, BackupSession& session)
    : m_config(std::make_unique<IniStore>(platform::programFile(QStringLiteral("config.ini")))),
      m_destination(std::make_unique<ProgramDestination>(*m_config, host, runState, &runLog))
{
    m_readiness = std::make_unique<Readiness>(host, controls, controls, *m_config, runLog, runState,
                                              archiveState, session);
    m_run = std::make_unique<BackupRun>(host, controls, *m_config, runLog, runState, archiveState, session);
    const auto destination = [this]() -> Destination& { return m_destination->destination(); };
    m_readiness->setDestinationProvider(destination);
    m_readiness->setOpenDestination([this] { m_destination->open(); });
    m_run->setDestinationProvider(destination);
    // Tests of the whole program shorten the run's fixed pauses (the 20 s before a reconnect,
    // the 3 s after "nothing changed", ...): a per cent of their length.
    bool numeric = false;
    const int percent = qEnvironmentVariable("OMBRIX_PAUSE_PERCENT").toInt(&numeric);
    if (numeric && percent >= 0 && percent <= 100)
        m_run->setPausePercent(percent);
}

BackupEngines::~BackupEngines() = default;

} // namespace ombrix::ui
