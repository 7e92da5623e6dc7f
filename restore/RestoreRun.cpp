#include "restore/RestoreRun.h"

#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "archive/TemporaryFiles.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/IniStore.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/lang/Translator.h"
#include "core/log/RunLog.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "platform/ChildProcess.h"
#include "platform/ProgramFolder.h"
#include "restore/RestoreControls.h"
#include "restore/RestoreTarget.h"
#include "storage/Destination.h"
#include "storage/local/LocalPaths.h"
#include "storage/local/LocalTree.h"

#include <QDir>
#include <QFile>

namespace ombrix {

namespace {

constexpr int restorePage = 4;
constexpr int completionPauseMs = 5000;

const QString recoveryListName = QStringLiteral("recoverylist.csv");
// Log line of a catalog line whose path would put the file outside the restore target.
const QString unsafePathLog = QStringLiteral("not restored, invalid path: ");

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

} // namespace

RestoreRun::RestoreRun(Host& host, RestoreControls& controls, IniStore& config, RunLog& runLog,
                       RunState& runState, ArchiveState& archiveState, Destination& destination)
    : m_host(host), m_controls(controls), m_config(config), m_runLog(runLog), m_runState(runState),
      m_archiveState(archiveState), m_destination(destination), m_runner(runState, host)
{
}

QString RestoreRun::programFile(const QString& name) const
{
    return platform::programFile(name);
}

void RestoreRun::runRestore()
{
    if (m_showsStop) {
        stop();
        return;
    }
    if (m_running)
        return;
    m_running = true;
    run();
    m_running = false;
}

void RestoreRun::stop()
{
    m_runState.stopRequested = true;
    if (m_runState.lastProcessId > 0)
        platform::KillProcessId(m_runState.lastProcessId);
}

void RestoreRun::run()
{
    const bool toOriginal = m_controls.restoreToOriginal();
    const QString chosenFolder = toOriginal ? QString() : QDir::cleanPath(m_controls.restoreFolder());
    if (!toOriginal &&
        (m_controls.restoreFolder().trimmed().isEmpty() || !storage::forceLocalDir(chosenFolder))) {
        m_host.ask(AskKind::Warning,
                   text("Není vybrán adresář pro obnovu dat nebo zadaný adresář nelze vytvořit"));
        return;
    }
    QString set = m_controls.chosenSet();
    if (set.isEmpty() && m_mode == Mode::pokracovat)
        set = m_config.readString(ConfigKeys::RECOVERY_ARCHIVNAME, QString());

    const QString listPath = programFile(recoveryListName);
    // The list is checked before anything is deleted: an exact-state restore without a list
    // would otherwise empty the backed-up folders and put nothing back.
    if (!storage::FileExists2(listPath)) {
        info2(m_host, text("Chyba: nelze najít soubor recoverylist.csv"));
        return;
    }

    m_controls.setRestoreCaption(QStringLiteral("STOP"));
    m_showsStop = true;
    m_controls.enableRestoreControls(false);
    m_controls.setPagesEnabled(false, restorePage);

    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, settings);
    checks.lze_odemknout(set);

    if (toOriginal && m_controls.exactState() && m_mode == Mode::novaobnova)
        prepareExactState(set);

    m_runState.stopRequested = false;
    qsizetype start = 0;
    if (m_mode == Mode::pokracovat)
        start = qMax(0, m_config.readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0));

    const CatalogFile::ReadResult list = CatalogFile::read(listPath);
    const QStringList& lines = list.lines;
    m_config.writeString(ConfigKeys::RECOVERY_ARCHIVNAME, set);
    m_config.writeInt(ConfigKeys::RECOVERY_DONE, 0);
    m_host.setProgress(Page::Restore, int(lines.size()), 0);

    Extractor extractor(m_destination, m_runner, m_host, &m_runLog, m_archiveState, settings);
    for (qsizetype i = start; i < lines.size() && !m_runState.stopRequested; ++i) {
        const QString& line = lines.at(i);
        const QString path = catalogField(line, CatalogLine::Path);
        const QString lineSet = catalogField(line, CatalogLine::Set);
        const QString target = RestoreTarget::targetFolder(path, toOriginal, chosenFolder);
        info2(m_host, path);
        m_host.setStatusHint(Page::Restore, path);
        m_host.setProgress(Page::Restore, int(lines.size()), int(i));
        if (target.isEmpty() || !SetName::isValid(lineSet)) {
            ++m_refusedLines;
            m_runLog.dologu(unsafePathLog + path);
        } else {
            if (!destinationReachable(lineSet)) {
                endStopped();
                return;
            }
            if (m_mode == Mode::pokracovat && i <= start + 1)
                removeExtractionStaging(target);
            extractor.dearchivovat(lineSet, path, target, catalogField(line, CatalogLine::PlainCopy));
        }
        m_config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, i);
    }

    if (m_runState.stopRequested) {
        info2(m_host, text("Přerušeno uživatelem"));
        endStopped();
        return;
    }

    info2(m_host, text("Obnova dat byla dokončena"));
    m_controls.setRestoreCaption(text("OBNOVA DAT"));
    m_showsStop = false;
    // The keys go first and the list last: a crash in between must not leave RECOVERY_DONE at 0
    // without a list, a restore no start-up offers to continue that still holds back the
    // unattended backup.
    m_config.writeInt(ConfigKeys::RECOVERY_DONE, 1);
    m_config.writeString(ConfigKeys::RECOVERY_ARCHIVNAME, QString());
    m_config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0);
    QFile::remove(listPath);
    m_mode = Mode::novaobnova;
    m_controls.enableRestoreControls(true);
    sleepX(m_host, completionPauseMs * m_pausePercent / 100);
    m_controls.refreshSetList();
    m_host.setProgress(Page::Restore, int(lines.size()), 0);
    m_controls.setPagesEnabled(true, restorePage);
}

void RestoreRun::endStopped()
{
    m_controls.setRestoreCaption(text("pokra čovat"));
    m_controls.setRestoreEnabled(true);
    m_showsStop = false;
    m_mode = Mode::pokracovat;
    m_host.setProgress(Page::Restore, 0, 0);
    m_controls.setPagesEnabled(true, restorePage);
}

bool RestoreRun::destinationReachable(const QString& set)
{
    if (m_destination.kind() == DestinationKind::Dir) {
        if (m_destination.folderExists(set))
            return true;
        info2(m_host, text("Obnova přerušena, archiv není dostupný"));
        return false;
    }
    if (!m_destination.isOnline() && m_reconnect)
        m_reconnect();
    if (m_destination.isOnline())
        return true;
    info2(m_host, text("Obnova přerušena, FTP spojení ??"));
    return false;
}

void RestoreRun::prepareExactState(const QString& set)
{
    const QString tmp = programFile(QStringLiteral("tmp"));
    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Extractor extractor(m_destination, m_runner, m_host, &m_runLog, m_archiveState, settings);
    if (extractor.dearchivovat(set, SetLayout::sourcesFile.toString(), tmp, QStringLiteral("0"))) {
        const SourcesFile::ReadResult sources =
            SourcesFile::read(tmp + QLatin1Char('/') + SourcesFile::fileName);
        const QStringList guarded{platform::programFolder(), m_destination.localPath(set),
                                  QDir::currentPath()};
        for (const QString& line : sources.lines) {
            if (RestoreTarget::isRemovableSourceFolder(line, guarded))
                storage::odstran_dir(line, [this] { m_host.pump(); });
        }
    }
    storage::odstran_dir(tmp);
}

void RestoreRun::resetRestore()
{
    m_config.writeString(ConfigKeys::RECOVERY_ARCHIVNAME, QString());
    m_config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0);
    m_config.writeInt(ConfigKeys::RECOVERY_DONE, 1);
    QFile::remove(programFile(recoveryListName));
    m_host.ask(AskKind::Information,
               text("Obnova dat byla resetována, příští obnova dat proběhne od začátku"));
    m_controls.clearResetControls();
    info2(m_host, text("Vyberte archiv"));
    m_mode = Mode::novaobnova;
    m_controls.setRestoreCaption(text("OBNOVA DAT"));
    m_controls.refreshSetList();
    m_controls.enableRestoreControls(true);
}

void RestoreRun::resumeRestoreAtStart()
{
    m_mode = Mode::novaobnova;
    info2(m_host, text("Vyberte archiv"));
    const QString name = m_config.readString(ConfigKeys::RECOVERY_ARCHIVNAME, QString());
    const bool pending = !m_config.readBool(ConfigKeys::RECOVERY_DONE, true) && !name.isEmpty() &&
                         ArchiveSetChecks::testarchiv(m_destination, name, SetLayout::catalogFile.toString(),
                                                      QStringLiteral("0")) &&
                         storage::FileExists2(programFile(recoveryListName));
    if (!pending)
        return;
    m_controls.refreshSetList();
    info2(m_host, text("Obnova dat nebyla dokončena, bude se pokračovat"));
    m_controls.setRestoreCaption(text("pokra čovat"));
    m_mode = Mode::pokracovat;
    m_controls.setPasswordControlsEnabled(false);
    m_controls.selectSet(name);
    m_controls.setRestoreEnabled(true);
    m_controls.enableRestoreControls(false);
}

} // namespace ombrix
