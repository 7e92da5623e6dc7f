#pragma once

#include "archive/ArchiverRunner.h"
#include "backup/StoredSettings.h"

#include <functional>
#include <memory>
#include <QString>

namespace ombrix {

class BackupControls;
class Destination;
class ProgramDestination;
class Host;
class IniStore;
class ReadinessControls;
class RunLog;
struct ArchiveState;
struct BackupSession;
struct RunState;

// The readiness check (inicializace): turns config.ini into the running state. It loads the
// language and every setting into the window, finishes a catalog that an interrupted run left
// in the program folder, decides what START does next (full, incremental or continuation),
// shows that decision, checks that the destination can be reached and hands an interrupted
// restore or merge to their pages. It runs at start-up and again whenever the state may have
// changed; every call reads everything afresh. Only the obsolete keys are ever written.
class Readiness
{
  public:
    using DestinationProvider = std::function<Destination&()>;

    Readiness(Host& host, BackupControls& controls, ReadinessControls& readinessControls, IniStore& config,
              RunLog& runLog, RunState& runState, ArchiveState& archiveState, BackupSession& session);
    ~Readiness();
    Readiness(const Readiness&) = delete;
    Readiness& operator=(const Readiness&) = delete;

    // Another destination than the folder of BACKUP_DIR (FTP, Skyvra).
    void setDestinationProvider(DestinationProvider provider) { m_destinationProvider = std::move(provider); }
    // How a pass with a provider opens its connection (disconnect, connect, NOOP). Without a
    // provider each pass makes and opens a destination of the configured kind itself.
    void setOpenDestination(std::function<void()> open) { m_openDestination = std::move(open); }
    // Whether the language lists are loaded (off in tests that keep the texts untranslated).
    void setLoadLanguages(bool load) { m_loadLanguages = load; }

    void inicializace();

    // What the last call loaded.
    const StoredSettings& settings() const { return m_settings; }
    // Whether the last call found the destination reachable (START enabled).
    bool destinationReachable() const { return m_destinationReachable; }

  private:
    void loadLanguage();
    StoredSettings readSettings() const;
    void finishLeftoverCatalog(bool done, const QString& last);
    void decide(bool done, const QString& last);
    void checkReachable();
    Destination& destination();
    bool destinationUsable();
    void endScheduledRun();

    Host& m_host;
    BackupControls& m_controls;
    ReadinessControls& m_readinessControls;
    IniStore& m_config;
    RunLog& m_runLog;
    RunState& m_runState;
    ArchiveState& m_archiveState;
    BackupSession& m_session;
    ArchiverRunner m_runner;
    DestinationProvider m_destinationProvider;
    // The destination of the configured kind, made by each pass when no provider is set.
    std::unique_ptr<ProgramDestination> m_ownDestination;
    std::function<void()> m_openDestination;
    bool m_loadLanguages = true;
    StoredSettings m_settings;
    bool m_destinationReachable = true;
};

} // namespace ombrix
