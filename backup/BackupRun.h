#pragma once

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSettings.h"
#include "backup/ScanResult.h"
#include "core/util/RunSummary.h"

#include <functional>
#include <memory>
#include <optional>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

class BackupControls;
class Destination;
class ProgramDestination;
class Host;
class IniStore;
class RunLog;
class RunProgressReport;
struct ArchiveState;
struct BackupSession;
struct RunState;

// The backup run behind the backup page's buttons: START (scan, change analysis, the catalog of
// the new set, archiving file by file, completion), its continuation after an interruption,
// STOP, skipping the file in progress and resetting the chain.
//
// The persistent progress lives in config.ini (LAST_ARCHIV_NAME, LAST_BACKUP_DONE,
// LAST_BACKUP_LIST_INDEX). The catalog of a set is in the set before any of its files, and a
// file's index is recorded only after its archive was verified, so a run cut off at any moment
// continues with the file that was in progress and every file is restorable once it completes.
class BackupRun
{
  public:
    // The destination the run writes to; without one the run makes one of the kind config.ini
    // names (never a folder in place of an FTP or network-disk destination).
    using DestinationProvider = std::function<Destination&()>;

    BackupRun(Host& host, BackupControls& controls, IniStore& config, RunLog& runLog, RunState& runState,
              ArchiveState& archiveState, BackupSession& session);
    ~BackupRun();
    BackupRun(const BackupRun&) = delete;
    BackupRun& operator=(const BackupRun&) = delete;

    void setDestinationProvider(DestinationProvider provider) { m_destinationProvider = std::move(provider); }
    // The readiness check, run again after a run that found nothing to do or failed on the
    // source list.
    void setReadinessCheck(std::function<void()> check) { m_readinessCheck = std::move(check); }
    // Scales every fixed pause of the run (3 s after "nothing changed", 1 s after skip, ...);
    // 100 is the normal length. Tests shorten them.
    void setPausePercent(int percent) { m_pausePercent = percent; }

    // START (BitBtn1): starts a run, or stops the running one while the button shows "STOP".
    void BitBtn1Click();
    // "Přeskočit" (Button21): the file in progress is given up and the run goes on.
    void Button21Click();
    // "Reset" (Button5): the next START makes a new full backup and begins a new chain.
    void Button5Click();

    // What the last run left.
    bool running() const { return m_running; }
    bool showsStop() const { return m_showsStop; }
    int runStatus() const { return m_runStatus; }
    bool userStopped() const { return m_userStopped; }
    bool runCompleted() const { return m_runCompleted; }
    bool warningLogShown() const { return m_warningLogShown; }
    const QString& currentArchiveName() const { return m_currentArchiveName; }
    const QStringList& newCatalog() const { return m_newCatalog; }

  private:
    void start();
    void stop();
    bool openLastArchive();
    void lockWindow();
    bool scanAndBuildCatalog(const QStringList& sourceLines);
    bool compareWithPrevious();
    void completeLastSet();
    void markCopyCompleted();
    bool writeCatalog();
    bool prepareResume();
    void archivingLoop();
    bool storeCatalog();
    bool markForNextRun(qsizetype q);
    bool destinationTakesWrites();
    void destinationLost();
    void afterLoop();
    void complete();
    void commonEnd();
    void endSourceListError();
    void endCatalogNotWritten();
    void endNothingChanged();
    void endStoppedBeforeCatalog();

    // Stores a program-folder file into the set being made, or into set when one is given.
    bool archiveSideFile(const QString& name, const QString& set = QString());
    bool archiveLocalCatalog();
    void removeWorkFiles();
    bool runUserProgram(const QString& commandText, bool wait);
    void reportProgramBeforeFailure();
    ArchiveSettings archiveSettings() const;
    Destination& destination();
    void readinessCheck();
    void pause(int milliseconds);
    bool lastCatalogFound();

    // The run's summary: made when the window is locked for the run, ended (shown, and logged
    // unless every file went in) at each end of a run that began.
    void beginSummary();
    void endSummary(bool completed, const QString& reason = QString());
    // Files the scan and the catalog left out ("not archived" lines of the run log so far).
    void countNotArchivedSoFar();
    // The progress line of the archiving loop: the files of the set being written and their
    // sizes, with what an interrupted run already archived.
    RunProgressReport startProgress();
    void fileArchived(RunProgressReport& progress, const QString& path);
    void fileNotArchived(RunProgressReport& progress, const QString& path);

    Host& m_host;
    BackupControls& m_controls;
    IniStore& m_config;
    RunLog& m_runLog;
    RunState& m_runState;
    ArchiveState& m_archiveState;
    BackupSession& m_session;
    ArchiverRunner m_runner;
    DestinationProvider m_destinationProvider;
    // The destination of the configured kind when no provider is set, made at the first use.
    std::unique_ptr<ProgramDestination> m_ownDestination;
    std::function<void()> m_readinessCheck;
    int m_pausePercent = 100;

    bool m_running = false;
    bool m_showsStop = false;
    bool m_userStopped = false;
    bool m_runCompleted = false;
    bool m_warningLogShown = false;
    bool m_catalogWritten = false;
    bool m_programBeforeFailed = false;
    // The catalog in memory differs from the one stored in the set.
    bool m_catalogChanged = false;
    int m_runStatus = RunOk;
    qsizetype m_startIndex = 0;
    QString m_currentArchiveName;
    QSet<QString> m_missingStorages;
    QStringList m_newCatalog;
    std::optional<RunSummary> m_summary;
};

} // namespace ombrix
