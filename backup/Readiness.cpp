#include "backup/Readiness.h"

#include "archive/Archiver.h"
#include "archive/ArchiveSetChecks.h"
#include "backup/BackupControls.h"
#include "backup/BackupSession.h"
#include "backup/ReadinessControls.h"
#include "core/catalog/SetLayout.h"
#include "core/config/CommandLineEscape.h"
#include "core/config/IniStore.h"
#include "core/config/PasswordField.h"
#include "core/config/Scrambling.h"
#include "core/host/Host.h"
#include "core/lang/Translator.h"
#include "core/log/RunLog.h"
#include "core/log/Status.h"
#include "platform/FileSystemInfo.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemLanguage.h"
#include "storage/local/LocalPaths.h"
#include "storage/ProgramDestination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix {

namespace {

constexpr int startFontSize = 16;
constexpr int resumeFontSize = 10;

QString status(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

QString localCatalog()
{
    return platform::programFile(SetLayout::catalogFile.toString());
}

// A relative destination folder is relative to the program folder, the program's working
// directory.
QString absoluteFolder(const QString& folder)
{
    if (folder.isEmpty())
        return folder;
    return QDir(platform::programFolder()).absoluteFilePath(folder);
}

} // namespace

Readiness::Readiness(Host& host, BackupControls& controls, ReadinessControls& readinessControls,
                     IniStore& config, RunLog& runLog, RunState& runState, ArchiveState& archiveState,
                     BackupSession& session)
    : m_host(host), m_controls(controls), m_readinessControls(readinessControls), m_config(config),
      m_runLog(runLog), m_runState(runState), m_archiveState(archiveState), m_session(session),
      m_runner(runState, host)
{
}

Readiness::~Readiness() = default;

void Readiness::inicializace()
{
    if (m_loadLanguages)
        loadLanguage();

    m_readinessControls.reloadSourceList();

    m_host.setTransferActivity(false);
    m_config.deleteKey(ConfigKeys::BACKUP_FTP);
    m_config.deleteKey(ConfigKeys::SKYVRA_NAME);

    m_settings = readSettings();
    m_session.destinationKind = destinationKindFromText(m_settings.destinationType);
    m_session.progressSaveInterval = m_settings.archivlistBuffer;
    m_runLog.setProgressSaveInterval(m_settings.archivlistBuffer);
    m_session.internalCopy = m_settings.internalCopy;
    // FTP and the network disk: the connection is opened now; a failed connect shows up as a
    // destination that is not online.
    if (m_destinationProvider) {
        if (m_openDestination)
            m_openDestination();
    } else {
        m_ownDestination = std::make_unique<ProgramDestination>(m_config, m_host, m_runState, &m_runLog);
        m_ownDestination->open();
    }
    destination().clearCaches();
    m_readinessControls.showStoredSettings(m_settings);

    const bool done = m_config.readBool(ConfigKeys::LAST_BACKUP_DONE, false);
    const QString last = m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    finishLeftoverCatalog(done, last);
    decide(done, last);
    checkReachable();

    m_controls.clearRestoreListLoaded();
    m_readinessControls.resumeRestoreAtStart();
    m_readinessControls.resumeMergeAtStart();
}

void Readiness::loadLanguage()
{
    const QString configured =
        m_config.readString(ConfigKeys::LANGUAGE, QString(ConfigKeys::LANGUAGE_SYSTEM));
    Translator& translator = Translator::global();
    m_settings.languageCodes =
        translator.choose(platform::languageFolder(), configured, platform::systemLanguageCode());
}

StoredSettings Readiness::readSettings() const
{
    using namespace ConfigKeys;
    StoredSettings s;
    s.languageCodes = m_settings.languageCodes;
    s.currentLanguage = Translator::global().currentLanguage();

    s.ftpPassive = m_config.readBool(FTP_PASSIVE, true);
    s.ftpBinary = m_config.readBool(FTP_BINARY, true);
    s.destinationType = destinationKindText(
        destinationKindFromText(m_config.readString(BACKUP_DESTINATION, QString(DESTINATION_DIR))));
    s.backupDir = m_config.readString(BACKUP_DIR, QString(BACKUP_DIR_NOT_SET));
    s.ftpHost = m_config.readString(BACKUP_FTP_HOST, QString());
    s.ftpUser = m_config.readString(BACKUP_FTP_USER, QString());
    const QString ftpPass = m_config.readString(BACKUP_FTP_PASS, QString());
    s.ftpPasswordField = maskedFieldText(PasswordField::FtpAccount, ftpPass);
    s.ftpPassword = desifruj(ftpPass);
    s.ftpDir = m_config.readString(BACKUP_FTP_DIR, QString());
    s.skyvraUser = m_config.readString(SKYVRA_USER, QString());
    const QString skyvraPass = m_config.readString(SKYVRA_PASSW, QString());
    s.skyvraPasswordField = maskedFieldText(PasswordField::SkyvraAccount, skyvraPass);
    s.skyvraPassword = desifruj(skyvraPass);
    s.tabIndex = m_config.readInt(TAB_INDEX, 0);

    s.archivlistBuffer = m_config.readInt(ARCHIVLIST_BUFFER, 0);
    s.internalCopy = m_config.readBool(INTERNAL_COPY, false);
    s.recoveryDir = m_config.readString(RECOVERY_DIR, QString());
    s.recoveryDest = m_config.readInt(RECOVERY_DEST, 0);
    s.programBefore = unescapeCommandLine(m_config.readString(PROGRAM_BB, QString()));
    s.programAfter = unescapeCommandLine(m_config.readString(PROGRAM_AB, QString()));
    s.runBeforeBackup = m_config.readBool(RUN_BEFORE_BACKUP, false);
    s.runAfterBackup = m_config.readBool(RUN_AFTER_BACKUP, false);
    s.email = m_config.readBool(EMAIL, false);
    s.highCompression = m_config.readString(COMPRES_LEVEL, QString(COMPRESSION_DEFAULT)) == COMPRESSION_HIGH;
    s.verifyLastArchive = m_config.readBool(VERIFY_LAST_ARCHIV, false);
    const QString password = m_config.readString(PASSWORD, QString());
    s.archivePassword = desifruj(password);
    s.passwordSet = !s.archivePassword.isEmpty();
    s.passwordField = s.passwordSet ? asteriskRow(PasswordField::ArchivePassword) : QString();
    if (m_config.readInt(ARCHIVE_COUNT, 0) > 0)
        s.archiveCount = m_config.readString(ARCHIVE_COUNT, QString());
    s.colorArchives = m_config.readBool(COLOR_ARCHIVES, false);
    s.sumFirstSecond = m_config.readBool(SUM_FIRST_SECOND, false);
    s.autostartBackup = m_config.readBool(AUTOSTART_BACKUP, false);
    s.sourceErrorSkip = m_config.readBool(SOURCE_ERROR_SKIP, false);
    s.autoUpdate = m_config.readBool(AUTOUPDATE, false);
    return s;
}

// A catalog saved in the program folder but not yet put into its set (a buffered run, or a
// failed upload after a file was dropped) goes into the set before anything else happens.
void Readiness::finishLeftoverCatalog(bool done, const QString& last)
{
    if (done || last.isEmpty() || !QFileInfo::exists(localCatalog()))
        return;
    if (!destinationUsable() || !destination().folderExists(last))
        return;
    ArchiveSettings settings;
    settings.targetArchiveName = last;
    settings.passwordEnabled = m_settings.passwordSet;
    settings.archivePassword = m_settings.archivePassword;
    settings.highCompression = m_settings.highCompression;
    settings.internalCopy = m_settings.internalCopy;
    settings.noCompressExtensions = m_session.noCompressExtensions;
    Archiver archiver(destination(), m_runner, m_host, nullptr, settings);
    if (archiver.archivovat(SetLayout::catalogFile.toString(), QStringLiteral("0")))
        QFile::remove(localCatalog());
}

void Readiness::decide(bool done, const QString& last)
{
    const bool found = !last.isEmpty() && destinationUsable() &&
                       ArchiveSetChecks::testarchiv(destination(), last, SetLayout::catalogFile.toString(),
                                                    QStringLiteral("0"));
    const QString start = getLang(QStringLiteral("START"));
    const QString integrityError = status("Chyba integrity. Pro opravu použijte tlačítko NAVÁZAT");

    if (done && !last.isEmpty() && found) {
        m_controls.setStartCaption(start, startFontSize);
        info(m_host, status("Start přírůstkového zálohování je připraven"));
        semafor(m_host, 2);
        m_session.backupMode = BackupMode::inkremental;
        m_controls.setPasswordControlsEnabled(false);
    } else if (done && last.isEmpty()) {
        m_controls.setStartCaption(start, startFontSize);
        info(m_host, status("Nový start zálohování je připraven"));
        semafor(m_host, 1);
        m_session.backupMode = BackupMode::novazaloha;
    } else if (!done && !last.isEmpty() && found) {
        m_controls.setStartCaption(getLang(QStringLiteral("pokračovat..")), resumeFontSize);
        info(m_host, status("Poslední záloha nebyla dokončena"));
        semafor(m_host, 3);
        m_session.backupMode = BackupMode::pokracovani;
        m_controls.setPasswordControlsEnabled(false);
    } else {
        // The last set or its catalog is gone: START begins a new chain.
        m_controls.setStartCaption(start, startFontSize);
        info(m_host, integrityError);
        semafor(m_host, 1);
        m_session.backupMode = BackupMode::novazaloha;
    }
}

// A scheduled run that cannot reach its destination ends by itself, with the reason as its last
// status; a server that is down would otherwise let the automatic START try anyway.
void Readiness::endScheduledRun()
{
    if (!m_controls.isScheduledRun())
        return;
    m_controls.disableAutoStart();
    m_controls.xExit();
}

void Readiness::checkReachable()
{
    m_destinationReachable = true;
    switch (m_session.destinationKind) {
    case DestinationKind::Dir: {
        // The same rule as every folder the run creates there (storage::forceLocalDir): a folder
        // on a removable-media root (/mnt/NAME, /media/USER/LABEL, ...) is usable only while a
        // medium is mounted there, never the empty folder an absent medium leaves behind.
        const QString folder = absoluteFolder(m_settings.backupDir);
        const QString absentMedium = platform::absentStorageOf(folder);
        if (absentMedium.isEmpty() && storage::DirectoryExists2(storage::AppendUNC(folder))) {
            m_controls.setStartEnabled(true);
            return;
        }
        m_destinationReachable = false;
        if (absentMedium.isEmpty()) {
            info(m_host, status("Cílová složka není dostupná. Zálohování není možné."));
        } else {
            const QString reason = status("Cílová složka není dostupná, médium není připojeno:") +
                                   QLatin1Char(' ') + absentMedium;
            info(m_host, reason);
            m_host.setStatusHint(Page::Backup, reason);
        }
        m_controls.setStartEnabled(false);
        semafor(m_host, 0);
        endScheduledRun();
        return;
    }
    case DestinationKind::Ftp:
        if (destinationUsable()) {
            m_controls.setStartEnabled(true);
            return;
        }
        m_destinationReachable = false;
        info(m_host, status("FTP připojení není dostupné. Zálohování není možné."));
        m_controls.setStartEnabled(false);
        semafor(m_host, 0);
        endScheduledRun();
        return;
    case DestinationKind::Skyvra:
        if (destinationUsable()) {
            m_controls.setStartEnabled(true);
            return;
        }
        m_destinationReachable = false;
        info(m_host, status("Vzdálený disk není dostupný. Zálohování není možné."));
        m_controls.setStartEnabled(false);
        semafor(m_host, 0);
        endScheduledRun();
        return;
    }
}

// A remote destination is usable only through its own connection object; until one is set,
// FTP and Skyvra count as not connected.
bool Readiness::destinationUsable()
{
    return destination().isOnline();
}

Destination& Readiness::destination()
{
    if (m_destinationProvider)
        return m_destinationProvider();
    if (!m_ownDestination)
        m_ownDestination = std::make_unique<ProgramDestination>(m_config, m_host, m_runState, &m_runLog);
    return m_ownDestination->destination();
}

} // namespace ombrix
