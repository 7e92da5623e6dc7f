#include "backup/BackupRun.h"

#include "archive/Archiver.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "archive/ScratchLeftovers.h"
#include "archive/TemporaryFiles.h"
#include "backup/BackupControls.h"
#include "backup/BackupSession.h"
#include "backup/CatalogBuilder.h"
#include "backup/ChangeAnalysis.h"
#include "backup/RunFileCopies.h"
#include "backup/SourceScanner.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogOrder.h"
#include "core/catalog/CatalogTime.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/IniStore.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/lang/Translator.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "core/log/RunProgressReport.h"
#include "core/log/RunSummaryReport.h"
#include "core/log/Status.h"
#include "core/process/UserCommandLine.h"
#include "core/sources/SourcesFile.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystemInfo.h"
#include "platform/PowerOff.h"
#include "platform/ProgramFolder.h"
#include "storage/local/LocalPaths.h"
#include "storage/ProgramDestination.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace ombrix {

namespace {

constexpr int backupPage = 3;
constexpr int startFontSize = 16;
constexpr int resumeFontSize = 10;
// Progress of lines that are only passed over (unchanged files of earlier sets).
constexpr qsizetype skippedProgressEvery = 100;
// The window is pumped after this many files while the sizes for the progress line are read.
constexpr qsizetype sizePumpEvery = 1000;
// Log line of a program to run before or after a backup that is missing or cannot be started.
const QString notStartedLog = QStringLiteral("not started: ");
// Log line of a last set whose catalog cannot be read, so nothing can continue or follow it.
const QString damagedCatalogLog = QStringLiteral("damaged catalog in the last set: ");
// Log line of a file that kept changing while it was read twice: its archive may be torn.
const QString changedWhileArchivedLog = QStringLiteral("changed while archived: ");

QString catalogFileName()
{
    return SetLayout::catalogFile.toString();
}

QString localCatalog()
{
    return platform::programFile(catalogFileName());
}

QString status(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

// The size of a source file now; 0 when it is gone or cannot be asked.
qint64 sourceSize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? std::max<qint64>(info.size(), 0) : 0;
}

} // namespace

BackupRun::BackupRun(Host& host, BackupControls& controls, IniStore& config, RunLog& runLog,
                     RunState& runState, ArchiveState& archiveState, BackupSession& session)
    : m_host(host), m_controls(controls), m_config(config), m_runLog(runLog), m_runState(runState),
      m_archiveState(archiveState), m_session(session), m_runner(runState, host)
{
}

BackupRun::~BackupRun() = default;

// ---------------------------------------------------------------------------------------------
// Buttons

void BackupRun::BitBtn1Click()
{
    if (m_showsStop) {
        stop();
        return;
    }
    // A click that arrives while a run is being prepared (the button is disabled then, but a
    // programmatic press can still come) must not start a second run inside the first.
    if (m_running)
        return;
    m_running = true;
    start();
    m_running = false;
}

void BackupRun::stop()
{
    info(m_host, status("probíhá ukončování..."));
    m_controls.setStartEnabled(false);
    m_controls.setSkipEnabled(false);
    m_userStopped = true;
    m_runState.stopRequested = true;
    if (m_runState.lastProcessId > 0)
        platform::KillProcessId(m_runState.lastProcessId);
    info(m_host, status("přerušeno uživatelem"));
}

void BackupRun::Button21Click()
{
    info(m_host, status("přeskakuji aktuálně zálohovaný soubor"));
    if (m_runState.lastProcessId > 0)
        platform::KillProcessId(m_runState.lastProcessId);
    pause(1000);
}

void BackupRun::Button5Click()
{
    if (m_running)
        return;
    // The log of the chain that is given up goes with it.
    m_runLog.removeFile();
    m_runLog.clear();
    m_config.writeInt(ConfigKeys::LAST_BACKUP_DONE, 1);
    m_config.writeString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    m_config.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 0);
    m_host.ask(AskKind::Information, status("Program byl anulován, příští zálohování proběhne od začátku"));
    m_controls.setResetButtonEnabled(false);
    m_controls.setResetChecked(false);
    semafor(m_host, 1);
    info(m_host, status("Nový start zálohování je připraven"));
    m_session.backupMode = BackupMode::novazaloha;
    m_controls.setStartCaption(getLang(QStringLiteral("START")), startFontSize);
    m_controls.setPasswordCheckEnabled(true);
    m_controls.setPasswordFieldEnabled(m_controls.passwordEnabled());
}

// ---------------------------------------------------------------------------------------------
// START

void BackupRun::start()
{
    m_programBeforeFailed = false;
    if (m_controls.runBeforeBackup())
        m_programBeforeFailed = !runUserProgram(m_controls.programBefore(), true);

    semafor(m_host, 0);
    // What the previous run reported goes; this run's lines come as it gets on.
    m_summary.reset();
    m_host.clearRunSummary(Page::Backup);
    m_host.setProgressDetail(Page::Backup, QString());
    destination().clearCaches();
    m_host.setTransferActivity(false);
    m_runState.stopRequested = false;
    m_runState.skipRequested = false;
    m_userStopped = false;
    m_runCompleted = false;
    m_warningLogShown = false;
    m_missingStorages.clear();
    m_runStatus = RunOk;
    m_newCatalog.clear();
    m_startIndex = 0;
    m_catalogWritten = false;
    m_catalogChanged = false;
    // Work files of a run that was killed are of no use any more.
    removeWorkFiles();

    // Later than every set there is, also for runs within one second or after the clock went back.
    m_currentArchiveName = SetName::laterThan(
        SetName::now(), QStringList{m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString())} +
                            destination().listSetFolders());

    // A new set is built from a copy of the source list taken now; the set stores that copy.
    // Copies of starts that made no set go; the last set's stay until this run's catalog is in.
    QString sourcesPath = platform::programFile(SourcesFile::fileName);
    if (m_session.backupMode != BackupMode::pokracovani) {
        RunFileCopies::forgetAllBut(m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString()));
        if (RunFileCopies::keep(m_currentArchiveName, SourcesFile::fileName))
            sourcesPath = RunFileCopies::sourceOf(m_currentArchiveName, SourcesFile::fileName);
    }
    const SourcesFile::ReadResult sources = SourcesFile::read(sourcesPath);
    bool anyEntry = false;
    for (const QString& line : sources.lines)
        anyEntry = anyEntry || !line.trimmed().isEmpty();
    if (!anyEntry) {
        info(m_host, status("Není co zálohovat"));
        pause(3000);
        readinessCheck();
        m_controls.xExit();
        return;
    }

    if (m_session.backupMode != BackupMode::novazaloha && !openLastArchive())
        return;

    lockWindow();
    beginSummary();
    // From here on a destination whose medium goes away counts as lost, instead of being written
    // into the bare folder that is left.
    destination().pinVolume();

    if (m_session.backupMode == BackupMode::pokracovani) {
        // A continued run keeps the log of the interrupted one.
        reportProgramBeforeFailure();
        prepareResume();
    } else {
        if (!scanAndBuildCatalog(sources.lines))
            return;
    }
    archivingLoop();
    afterLoop();
}

bool BackupRun::openLastArchive()
{
    info(m_host, status("Otevírání posledního archivu"));
    const QString last = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    ArchiveSetChecks checks(destination(), m_runner, m_host, m_archiveState, archiveSettings());
    if (last.isEmpty() || !checks.testarchiv(last, catalogFileName(), QStringLiteral("0"))) {
        info(m_host, status("Poslední archiv nelze otevřít"));
        m_controls.setPasswordControlsEnabled(true);
        m_controls.xExit();
        return false;
    }
    if (!checks.lze_odemknout(last)) {
        if (checks.refusal() == ArchiveSetChecks::Refusal::Damaged) {
            // Not a password problem: no password opens a catalog that cannot be read.
            m_runLog.dologu(damagedCatalogLog + last);
            info(m_host, status("Katalog posledního archivu je poškozený"));
            pause(3000);
            info(m_host, status("navažte na starší archiv (NAVÁZAT) nebo resetujte průběh zálohování"));
            m_controls.xExit();
            return false;
        }
        info(m_host, status("Poslední archiv je ZAHESLOVÁN"));
        pause(3000);
        info(m_host, status("pro pokračování nastavte správné heslo"));
        m_controls.setPasswordControlsEnabled(true);
        m_controls.xExit();
        return false;
    }
    return true;
}

void BackupRun::lockWindow()
{
    m_controls.setResetChecked(false);
    m_controls.setStartEnabled(false);
    m_controls.setAttachEnabled(false);
    m_controls.setAttachListEnabled(false);
    m_controls.setPagesEnabled(false, backupPage);
}

bool BackupRun::scanAndBuildCatalog(const QStringList& sourceLines)
{
    if (m_session.backupMode == BackupMode::inkremental)
        completeLastSet();
    m_runLog.startRun(m_currentArchiveName);
    m_startIndex = 0;

    info(m_host, status("Skenování adresářů a souborů určených k zálohování"));
    SourceScanner::Options options;
    options.skipInvalidEntries = m_controls.skipInvalidSources();
    options.utcOffsetAtStart = m_session.utcOffsetAtStart;
    options.daylightAtStart = m_session.daylightAtStart;
    SourceScanner scanner(m_host, m_runLog, m_runState, options);
    const ScanResult scan = scanner.scan(sourceLines);
    m_missingStorages = scan.missingStorages;
    m_runStatus = scan.runStatus;
    reportProgramBeforeFailure();
    if (scan.stopRequested)
        m_runState.stopRequested = true;
    if (m_runState.stopRequested) {
        countNotArchivedSoFar();
        return true; // the source-list error is reported after the (empty) loop
    }

    info(m_host, status("Vytváření seznamu zálohovaných souborů (archivlist.csv)"));
    const CatalogOrder order;
    QStringList rejected;
    m_newCatalog = buildCatalog(scan.files, m_currentArchiveName, order, m_host, &rejected);
    for (const QString& path : std::as_const(rejected)) {
        m_runLog.dologu(logline::notArchived + path);
        m_runStatus = RunWarnings;
    }
    countNotArchivedSoFar();

    if (m_session.backupMode == BackupMode::inkremental && !compareWithPrevious())
        return false;
    if (m_runState.stopRequested)
        return true;
    if (!writeCatalog()) {
        endCatalogNotWritten();
        return false;
    }
    return true;
}

// Rewrites the new catalog so that unchanged files keep the line of the last set. False when
// nothing changed: the run has then ended without making a set.
bool BackupRun::compareWithPrevious()
{
    const QString last = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    if (!lastCatalogFound())
        return true; // no previous catalog: everything goes into the new set

    ArchiveSettings settings = archiveSettings();
    settings.targetArchiveName = last;
    Extractor extractor(destination(), m_runner, m_host, &m_runLog, m_archiveState, settings);
    QFile::remove(localCatalog());
    if (!extractor.dearchivovat(last, catalogFileName(), platform::programFolder(), QStringLiteral("0")))
        return true; // unreadable previous catalog: treated as missing, a complete new set is made
    const CatalogFile::ReadResult previous = CatalogFile::read(localCatalog());
    QFile::remove(localCatalog());
    if (!previous.ok)
        return true;
    // A run killed while it completed the last set (storing its log, say) can have left a scratch
    // archive beside the side archives. Only the set folder itself is looked at: a walk of the
    // whole set on every run would cost more than the rare leftover.
    ScratchLeftovers::removeScratchLeftovers(destination(), last, previous.lines,
                                             ScratchLeftovers::Depth::SetRoot);
    const CatalogOrder order;
    ChangeAnalysis analysis(m_host, order);
    ChangeAnalysis::Input input;
    input.newCatalog = m_newCatalog;
    input.previousCatalog = previous.lines;
    input.missingStorages = m_missingStorages;
    input.verifyArchives = m_controls.verifyArchives();
    Destination& target = destination();
    input.archiveExists = [&target](const QString& set, const QString& path, const QString& nekompr) {
        return ArchiveSetChecks::testarchiv(target, set, path, nekompr);
    };
    input.storageOf = [](const QString& path) { return platform::storageRoot(path); };
    ChangeAnalysis::Result result = analysis.run(input);
    if (m_runState.stopRequested)
        return true;
    if (!result.changed) {
        endNothingChanged();
        return false;
    }
    m_newCatalog = std::move(result.catalog);
    return true;
}

// A run killed right after it recorded its set as complete can have left the set without its run
// log, source list or settings. They go into the set now, before this run starts a log of its
// own, so the set does not stay incomplete for good. The local run log is taken only when it is
// that set's log.
void BackupRun::completeLastSet()
{
    const QString last = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    if (last.isEmpty() || !lastCatalogFound())
        return;
    const QString logName = SetLayout::logFile.toString();
    const QStringList& log = m_runLog.logBuffer();
    if (!ArchiveSetChecks::testarchiv(destination(), last, logName, QStringLiteral("0")) && !log.isEmpty() &&
        log.first() == logline::archivPrefix + last && QFileInfo::exists(m_runLog.path()))
        archiveSideFile(logName, last);
    for (const QString& side : {SourcesFile::fileName, SetLayout::configFile.toString()}) {
        if (!ArchiveSetChecks::testarchiv(destination(), last, side, QStringLiteral("0")))
            archiveSideFile(side, last);
    }
}

bool BackupRun::lastCatalogFound()
{
    const QString last = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    return !last.isEmpty() &&
           ArchiveSetChecks::testarchiv(destination(), last, catalogFileName(), QStringLiteral("0"));
}

void BackupRun::endNothingChanged()
{
    // No set was made: there is no run to sum up.
    m_summary.reset();
    info(m_host, status("Od minulé zálohy se nic nezměnilo"));
    pause(3000);
    m_controls.setResetCheckEnabled(true);
    readinessCheck();
    m_controls.setPagesEnabled(true, backupPage);
    m_controls.setAttachListEnabled(true);
    m_controls.xExit();
}

// The new set begins with its catalog. Only once that is in the set does config.ini name the set
// as the one being written: LAST_BACKUP_DONE goes to 0 before LAST_ARCHIV_NAME changes, so an
// interruption between the two can never make a set whose files are still missing look
// complete.
bool BackupRun::writeCatalog()
{
    // A run killed while it stored the catalog of its new set left a set folder that nothing names.
    ScratchLeftovers::removeAbandonedSets(destination(),
                                          m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString()));
    if (!CatalogFile::write(localCatalog(), m_newCatalog))
        return false;
    if (!archiveLocalCatalog())
        return false;
    m_config.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 0);
    m_config.writeInt(ConfigKeys::LAST_BACKUP_DONE, 0);
    m_config.writeString(ConfigKeys::LAST_ARCHIV_NAME, m_currentArchiveName);
    m_catalogWritten = true;
    // The settings this set is written with; the previous set can no longer need its copies.
    RunFileCopies::keep(m_currentArchiveName, SetLayout::configFile.toString());
    RunFileCopies::forgetAllBut(m_currentArchiveName);
    return true;
}

void BackupRun::endCatalogNotWritten()
{
    QFile::remove(localCatalog());
    endSummary(false, status("Cílový adresář není dostupný, zálohování je přerušeno"));
    m_runLog.save();
    info(m_host, status("Cílový adresář není dostupný, zálohování je přerušeno"));
    semafor(m_host, 0);
    m_host.setProgress(Page::Backup, 0, 0);
    m_controls.setStartEnabled(true);
    m_controls.setResetCheckEnabled(true);
    m_controls.setPagesEnabled(true, backupPage);
    m_controls.setAttachListEnabled(true);
    m_controls.xExit();
}

bool BackupRun::prepareResume()
{
    m_currentArchiveName = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    ArchiveSettings settings = archiveSettings();
    Extractor extractor(destination(), m_runner, m_host, &m_runLog, m_archiveState, settings);
    QFile::remove(localCatalog());
    bool ok = extractor.dearchivovat(m_currentArchiveName, catalogFileName(), platform::programFolder(),
                                     QStringLiteral("0"));
    if (ok) {
        const CatalogFile::ReadResult read = CatalogFile::read(localCatalog());
        ok = read.ok;
        m_newCatalog = read.lines;
    }
    QFile::remove(localCatalog());
    if (!ok) {
        m_newCatalog.clear();
        m_runState.stopRequested = true;
        m_runStatus = RunDestinationLost;
        return false;
    }
    m_catalogWritten = true;
    // Scratch archives of the run that was cut off are not part of the set.
    ScratchLeftovers::removeScratchLeftovers(destination(), m_currentArchiveName, m_newCatalog);
    const int index = m_config.readInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 0);
    m_startIndex = std::clamp<qsizetype>(index, 0, m_newCatalog.size());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Archiving loop

void BackupRun::archivingLoop()
{
    if (m_runState.stopRequested)
        return;
    if (!m_newCatalog.isEmpty())
        m_host.setProgress(Page::Backup, int(m_newCatalog.size() - 1), int(m_startIndex));
    m_controls.setStartCaption(QStringLiteral("STOP"), startFontSize);
    m_showsStop = true;
    m_controls.setStartEnabled(true);
    m_controls.setSkipEnabled(true);
    info(m_host, status("Probíhá zálohování..."));
    RunProgressReport progress = startProgress();

    const int interval = m_session.progressSaveInterval;
    const bool buffered = interval >= 2;
    const int maximum = int(std::max<qsizetype>(m_newCatalog.size() - 1, 0));
    Archiver archiver(destination(), m_runner, m_host, &m_runLog, archiveSettings());
    bool searching = false;

    for (qsizetype q = m_startIndex; q < m_newCatalog.size() && !m_runState.stopRequested; ++q) {
        const QString line = m_newCatalog.at(q);
        if (catalogField(line, CatalogLine::Set) != m_currentArchiveName) {
            // An unchanged file, archived in an earlier set.
            if (!searching) {
                info(m_host, status("hledání dalšího souboru k zálohování..."));
                searching = true;
            } else {
                m_host.pump();
            }
            if (q % skippedProgressEvery == 0)
                m_host.setProgress(Page::Backup, maximum, int(q));
            continue;
        }
        searching = false;
        m_host.setProgress(Page::Backup, maximum, int(q));
        const QString path = catalogField(line, CatalogLine::Path);
        info(m_host, path);
        m_host.setStatusHint(Page::Backup, path);

        archiver.settings() = archiveSettings();
        const QString plainCopy = catalogField(line, CatalogLine::PlainCopy);
        bool archived = archiver.archivovat(path, plainCopy);
        // An archiver killed by STOP or skip leaves its work file behind.
        removeWorkFiles();
        if (archived && archiver.lastReading().changedWhileRead && !m_runState.stopRequested) {
            // Written to while it was read: read once more.
            archived = archiver.archivovat(path, plainCopy);
            removeWorkFiles();
            if (archived && archiver.lastReading().changedWhileRead) {
                m_runLog.dologu(changedWhileArchivedLog + path);
                m_runStatus = RunWarnings;
            }
        }
        if (archived)
            fileArchived(progress, path);
        if (archived &&
            (archiver.lastReading().changedWhileRead || archiver.lastReading().recentlyModified) &&
            !markForNextRun(q)) {
            // The catalog cannot be stored: the destination does not take writes any more.
            destinationLost();
            continue;
        }

        if (archived || m_runState.stopRequested) {
            // Recorded only now: a run cut off before this point archives the file again.
            if (!buffered) {
                m_config.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, q);
            } else if (q % interval == 0) {
                // The catalog goes into the set before the index that refers to it.
                if (m_catalogChanged && !storeCatalog()) {
                    destinationLost();
                    continue;
                }
                m_runLog.save();
                m_config.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, q);
            }
            continue;
        }

        // A destination that is gone is no fault of the file: it stays in the catalog and a
        // continued run archives it.
        if (!destinationTakesWrites()) {
            destinationLost();
            continue;
        }
        m_runLog.dologu(logline::notArchived + path);
        fileNotArchived(progress, path);
        m_runStatus = RunWarnings;
        m_newCatalog.removeAt(q);
        --q; // the next line has moved into this place
        m_catalogChanged = true;
        // The set's stored catalog must not name the file. A store that fails means the
        // destination stopped taking writes: the run ends interrupted, and the catalog left in
        // the program folder goes into the set at the next start.
        if (!storeCatalog())
            destinationLost();
    }
    progress.show();
}

// The stored catalog of the running set is brought up to the one in memory.
bool BackupRun::storeCatalog()
{
    if (!CatalogFile::write(localCatalog(), m_newCatalog) || !archiveLocalCatalog() ||
        !ArchiveSetChecks::testarchiv(destination(), m_currentArchiveName, catalogFileName(),
                                      QStringLiteral("0")))
        return false;
    m_catalogChanged = false;
    return true;
}

// A file last written right before it was read, or written to while it was read, gets a time in
// the catalog that no scan gives, so the next run archives it again. The catalog with that time
// is in the set before the progress passes the file.
bool BackupRun::markForNextRun(qsizetype q)
{
    QString& line = m_newCatalog[q];
    if (!CatalogLine::replaceTime(line, CatalogTime::unsettled(catalogField(line, CatalogLine::Time))))
        return true;
    m_catalogChanged = true;
    return storeCatalog();
}

// A folder destination takes writes while its root and the set are there. A connection is asked
// with a keep-alive command; when that fails, it gets one more chance after a pause and a
// reconnect.
bool BackupRun::destinationTakesWrites()
{
    Destination& target = destination();
    if (target.kind() != DestinationKind::Dir) {
        if (!target.keepAlive()) {
            pause(20000);
            target.reconnect();
            if (!target.keepAlive())
                return false;
        }
        target.clearCaches();
    }
    return target.isOnline() && target.folderExists(m_currentArchiveName);
}

void BackupRun::destinationLost()
{
    m_runState.stopRequested = true;
    m_runStatus = RunDestinationLost;
}

void BackupRun::afterLoop()
{
    // A set is recorded as complete only with a stored catalog that names exactly what it holds.
    if (!m_runState.stopRequested && m_catalogChanged && !storeCatalog())
        destinationLost();
    if (!m_runState.stopRequested) {
        complete();
        commonEnd();
        return;
    }
    if (m_runStatus == RunSourceListError) {
        endSourceListError();
        return;
    }
    if (!m_catalogWritten && m_runStatus != RunDestinationLost) {
        // Stopped before the new set had its catalog: there is nothing to continue.
        endStoppedBeforeCatalog();
        return;
    }
    m_showsStop = false;
    m_controls.setStartCaption(getLang(QStringLiteral("pokračovat..")), resumeFontSize);
    m_controls.setSkipEnabled(false);
    m_session.backupMode = BackupMode::pokracovani;
    semafor(m_host, 3);
    if (m_runStatus == RunOk)
        info(m_host, status("přerušeno uživatelem"));
    if (m_runStatus == RunDestinationLost) {
        endSummary(false, status("Cílový adresář není dostupný, zálohování je přerušeno"));
        m_runLog.save();
        info(m_host, status("Cílový adresář není dostupný, zálohování je přerušeno"));
        semafor(m_host, 3);
        m_host.setTransferActivity(false);
        m_host.setProgress(Page::Backup, 0, 0);
        m_controls.setStartEnabled(true);
        m_controls.setPagesEnabled(true, backupPage);
        m_controls.setAttachListEnabled(true);
        m_controls.xExit();
        return;
    }
    endSummary(false, status("přerušeno uživatelem"));
    m_runLog.save();
    commonEnd();
}

void BackupRun::endStoppedBeforeCatalog()
{
    endSummary(false, status("přerušeno uživatelem"));
    m_runLog.save();
    m_host.setProgress(Page::Backup, 0, 0);
    m_controls.setPagesEnabled(true, backupPage);
    m_controls.setAttachListEnabled(true);
    m_controls.setResetCheckEnabled(true);
    readinessCheck();
    info(m_host, status("přerušeno uživatelem"));
    m_runState.stopRequested = false;
}

void BackupRun::endSourceListError()
{
    info(m_host, status("Chyba v sources listu (co zálohovat), více v log.txt"));
    endSummary(false, status("Chyba v sources listu (co zálohovat), více v log.txt"));
    m_runLog.save();
    semafor(m_host, 0);
    m_host.setProgress(Page::Backup, 0, 0);
    m_controls.setPagesEnabled(true, backupPage);
    if (m_controls.emailReport())
        m_controls.email_send(getLang(QStringLiteral("Ombrix automatická zpráva")),
                              QStringLiteral("Error, ombrix was stopped"), SetLayout::logFile.toString());
    pause(5000);
    readinessCheck();
    m_controls.setAttachListEnabled(true);
    m_controls.xExit();
}

void BackupRun::complete()
{
    m_runCompleted = true;
    m_showsStop = false;
    m_controls.setStartCaption(getLang(QStringLiteral("START")), startFontSize);
    m_controls.setSkipEnabled(false);
    m_session.backupMode = BackupMode::inkremental;
    m_config.writeInt(ConfigKeys::LAST_BACKUP_DONE, 1);
    m_config.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 0);
    markCopyCompleted();
    // Before the log is saved and stored in the set: a run with files left out says so there.
    if (m_summary && m_runStatus == RunWarnings)
        m_summary->markWarning();
    endSummary(true);
    m_runLog.save();

    const QString message = m_runStatus == RunWarnings
                                ? status("Zálohování dokončeno s varováním. Více v log.txt")
                                : status("Úspěšný konec zálohování");
    if (m_controls.emailReport()) {
        info(m_host, status("Odesílání emailu..."));
        m_controls.email_send(getLang(QStringLiteral("Ombrix automatická zpráva")), message.trimmed(),
                              SetLayout::logFile.toString());
    }
    info(m_host, message);
    if (m_runStatus == RunWarnings) {
        m_controls.loadLog(m_runLog.path());
        m_warningLogShown = true;
    }
    if (archiveSideFile(SetLayout::logFile.toString()))
        m_runLog.removeFile();
    semafor(m_host, 2);
    m_controls.setPasswordControlsEnabled(false);
}

void BackupRun::commonEnd()
{
    m_host.setProgress(Page::Backup, 0, 0);
    m_host.pump();
    m_runState.stopRequested = false;
    archiveSideFile(SourcesFile::fileName);
    archiveSideFile(SetLayout::configFile.toString());

    m_controls.setResetCheckEnabled(true);
    m_controls.setStartEnabled(true);
    m_controls.setSkipEnabled(false);
    m_controls.setPagesEnabled(true, backupPage);
    m_controls.setAttachListEnabled(true);
    m_controls.clearRestoreListLoaded();

    if (m_runCompleted) {
        const int count = m_config.readInt(ConfigKeys::ARCHIVE_COUNT, 0);
        if (count > 0)
            m_controls.fixuj_pocet_archivu(count);
    }
    if (m_controls.runAfterBackup() && !runUserProgram(m_controls.programAfter(), false)) {
        m_runLog.dologu(notStartedLog + m_controls.programAfter());
        if (m_runStatus == RunOk) {
            m_runStatus = RunWarnings;
            info(m_host, status("Zálohování dokončeno s varováním. Více v log.txt"));
        }
    }

    if (m_controls.isUnattended()) {
        m_runState.stopRequested = true;
        m_controls.xExit();
    } else if (m_controls.powerOffAfterBackup() && !m_userStopped) {
        m_controls.WindowsExit(platform::powerOffForced);
    } else if (m_runStatus == RunWarnings && m_warningLogShown) {
        m_controls.showLogModal();
    }
}

// ---------------------------------------------------------------------------------------------
// Progress line and summary

void BackupRun::beginSummary()
{
    // A continued run goes on with the set the interrupted one began.
    const QString set = m_session.backupMode == BackupMode::pokracovani
                            ? m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString())
                            : m_currentArchiveName;
    m_summary.emplace(RunSummary::Kind::Backup, set);
}

void BackupRun::endSummary(bool completed, const QString& reason)
{
    if (!m_summary)
        return;
    endRunSummary(m_host, Page::Backup, m_runLog, *m_summary, completed, reason);
    m_summary.reset();
}

void BackupRun::countNotArchivedSoFar()
{
    if (!m_summary)
        return;
    for (const QString& line : m_runLog.logBuffer()) {
        if (line.startsWith(logline::notArchived))
            m_summary->fileNotDone();
    }
}

RunProgressReport BackupRun::startProgress()
{
    qint64 files = 0;
    qint64 bytes = 0;
    qint64 filesBefore = 0;
    qint64 bytesBefore = 0;
    for (qsizetype q = 0; q < m_newCatalog.size(); ++q) {
        const QString& line = m_newCatalog.at(q);
        if (catalogField(line, CatalogLine::Set) != m_currentArchiveName)
            continue; // archived in an earlier set
        const qint64 size = sourceSize(catalogField(line, CatalogLine::Path));
        ++files;
        bytes += size;
        if (q < m_startIndex) {
            ++filesBefore;
            bytesBefore += size;
        }
        if (q % sizePumpEvery == sizePumpEvery - 1)
            m_host.pump();
    }
    RunProgressReport progress(m_host, Page::Backup, files, bytes);
    progress.resumeAt(filesBefore, bytesBefore);
    progress.show();
    return progress;
}

void BackupRun::fileArchived(RunProgressReport& progress, const QString& path)
{
    const qint64 size = sourceSize(path);
    progress.fileDone(size);
    if (m_summary)
        m_summary->fileDone(size);
}

void BackupRun::fileNotArchived(RunProgressReport& progress, const QString& path)
{
    progress.fileDone(sourceSize(path));
    if (m_summary)
        m_summary->fileNotDone();
}

// ---------------------------------------------------------------------------------------------
// Helpers

bool BackupRun::archiveSideFile(const QString& name, const QString& set)
{
    ArchiveSettings settings = archiveSettings();
    if (!set.isEmpty())
        settings.targetArchiveName = set;
    Archiver archiver(destination(), m_runner, m_host, &m_runLog, settings);
    return archiver.archivovatFrom(name, RunFileCopies::sourceOf(settings.targetArchiveName, name),
                                   QStringLiteral("0"));
}

// The set's copy of config.ini says what config.ini says once the set is complete, as the
// program folder's file did when sets stored that: the settings stay those of the start.
void BackupRun::markCopyCompleted()
{
    const QString name = SetLayout::configFile.toString();
    const QString copy = RunFileCopies::sourceOf(m_currentArchiveName, name);
    if (copy == platform::programFile(name))
        return;
    IniStore copied(copy);
    copied.writeInt(ConfigKeys::LAST_BACKUP_DONE, 1);
    copied.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 0);
}

// Every "*.tmp" of the program folder, hidden ones included: the archiver names its work file
// after the archive it writes, and the archives are made under hidden scratch names.
void BackupRun::removeWorkFiles()
{
    deleteTemporaryFiles();
}

bool BackupRun::archiveLocalCatalog()
{
    if (!archiveSideFile(catalogFileName()))
        return false;
    QFile::remove(localCatalog());
    return true;
}

void BackupRun::reportProgramBeforeFailure()
{
    if (!m_programBeforeFailed)
        return;
    m_runLog.dologu(notStartedLog + m_controls.programBefore());
    if (m_runStatus == RunOk)
        m_runStatus = RunWarnings;
}

// A program that is missing or cannot be started is not skipped without a word: the caller logs
// it and the run ends with the warning.
bool BackupRun::runUserProgram(const QString& commandText, bool wait)
{
    QString nameOnly;
    QString parameters;
    UserCommandLine::ExtractFileAndParameters(commandText, nameOnly, parameters);
    const QString program = UserCommandLine::programFromName(nameOnly);
    if (program.isEmpty() || !storage::FileExists2(storage::AppendUNC(program)))
        return false;

    platform::ChildRequest request;
    request.program = program;
    request.arguments = UserCommandLine::splitArguments(parameters);
    // The program runs in its own folder.
    request.workingDirectory = QFileInfo(program).absolutePath();
    request.hidden = false;
    if (wait) {
        info(m_host, status("čeká se na dokončení programu před zálohováním.."));
        const platform::ChildResult result =
            platform::ShellExecAndWait(request, m_runState, [this] { m_host.pump(); });
        if (!result.started)
            m_host.ask(AskKind::Error, result.errorText);
        return result.started;
    }
    QString error;
    if (!platform::startDetached(request, &error)) {
        m_host.ask(AskKind::Error, error);
        return false;
    }
    return true;
}

ArchiveSettings BackupRun::archiveSettings() const
{
    ArchiveSettings settings;
    settings.targetArchiveName = m_currentArchiveName;
    settings.highCompression = m_controls.highCompression();
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    settings.noCompressExtensions = m_session.noCompressExtensions;
    settings.internalCopy = m_session.internalCopy;
    return settings;
}

Destination& BackupRun::destination()
{
    if (m_destinationProvider)
        return m_destinationProvider();
    if (!m_ownDestination) {
        m_ownDestination = std::make_unique<ProgramDestination>(m_config, m_host, m_runState, &m_runLog);
        m_ownDestination->open();
    }
    return m_ownDestination->destination();
}

void BackupRun::readinessCheck()
{
    if (m_readinessCheck)
        m_readinessCheck();
}

void BackupRun::pause(int milliseconds)
{
    sleepX(m_host, int(qint64(milliseconds) * m_pausePercent / 100));
}

} // namespace ombrix
