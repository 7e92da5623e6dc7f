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
#include "core/log/RunProgressReport.h"
#include "core/log/RunSummaryReport.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "platform/ChildProcess.h"
#include "platform/DirectoryTree.h"
#include "platform/ProgramFolder.h"
#include "restore/RestoreControls.h"
#include "restore/RestoreTarget.h"
#include "storage/Destination.h"
#include "storage/local/LocalPaths.h"
#include "storage/local/LocalTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <utility>

namespace ombrix {

namespace {

constexpr int restorePage = 4;
constexpr int completionPauseMs = 5000;

const QString recoveryListName = QStringLiteral("recoverylist.csv");
// Log line of a catalog line whose path would put the file outside the restore target.
const QString unsafePathLog = QStringLiteral("not restored, invalid path: ");
// Log line of a file whose extraction failed, followed by the path and the reason.
const QString notRestoredLog = QStringLiteral("not restored: ");
// Log lines of an exact-state restore whose removal step was left out.
const QString exactStateSkippedLog =
    QStringLiteral("exact state not made, nothing removed: files did not come back: ");
const QString exactStateNoSourcesLog =
    QStringLiteral("exact state not made, nothing removed: the set's source list cannot be read: ");

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

// The size of the file restored from a catalog path into a folder.
qint64 restoredSize(const QString& folder, const QString& path)
{
    const QFileInfo restored(folder + QLatin1Char('/') + QFileInfo(path).fileName());
    return restored.exists() ? restored.size() : 0;
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
    // The list is checked and read before anything changes. A missing or unreadable list (or
    // one with damaged lines: an exact-state restore would remove whatever it lost) starts
    // nothing and stays where it is.
    if (!storage::FileExists2(listPath)) {
        info2(m_host, text("Chyba: nelze najít soubor recoverylist.csv"));
        return;
    }
    const CatalogFile::ReadResult list = CatalogFile::read(listPath);
    if (!list.ok || list.malformed > 0) {
        info2(m_host, text("Chyba: nelze přečíst soubor recoverylist.csv"));
        return;
    }
    const QStringList& lines = list.lines;

    m_controls.setRestoreCaption(QStringLiteral("STOP"));
    m_showsStop = true;
    m_controls.enableRestoreControls(false);
    m_controls.setPagesEnabled(false, restorePage);

    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, settings);
    checks.lze_odemknout(set);

    m_runState.stopRequested = false;
    qsizetype start = 0;
    if (m_mode == Mode::pokracovat)
        start = qMax(0, m_config.readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0));

    // Unfinished from here on: a crash at any later moment leaves a restore the next start
    // offers to continue, never a half-changed tree that nothing remembers.
    m_config.writeString(ConfigKeys::RECOVERY_ARCHIVNAME, set);
    m_config.writeInt(ConfigKeys::RECOVERY_DONE, 0);
    if (m_mode == Mode::novaobnova)
        m_config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0);
    m_host.setProgress(Page::Restore, int(lines.size()), 0);
    m_summary.emplace(RunSummary::Kind::Restore, set);
    m_host.clearRunSummary(Page::Restore);
    // The catalog does not say how big the files are: the line counts files.
    RunProgressReport progress(m_host, Page::Restore, lines.size(), -1);
    progress.resumeAt(qMin(start, lines.size()), 0);
    progress.show();

    m_notRestored = 0;
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
            ++m_notRestored;
            m_runLog.dologu(unsafePathLog + path);
            m_summary->fileNotDone();
            progress.fileDone(0);
        } else {
            if (!destinationReachable(lineSet)) {
                progress.show();
                endStopped(QString());
                return;
            }
            if (m_mode == Mode::pokracovat && i <= start + 1)
                removeExtractionStaging(target);
            const QString plainCopy = catalogField(line, CatalogLine::PlainCopy);
            if (extractor.dearchivovat(lineSet, path, target, plainCopy)) {
                const qint64 size = restoredSize(target, path);
                m_summary->fileDone(size);
                progress.fileDone(size);
            } else if (!m_runState.stopRequested) {
                // (An extraction STOP killed is repeated by the continued run, not a failure.)
                ++m_notRestored;
                m_runLog.dologu(notRestoredLog + path + QStringLiteral(" (") + extractor.lastFailure() +
                                QLatin1Char(')'));
                m_summary->fileNotDone();
                progress.fileDone(0);
            }
        }
        m_config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, i);
    }
    progress.show();

    if (!m_runState.stopRequested && toOriginal && m_controls.exactState()) {
        if (m_notRestored > 0)
            m_runLog.dologu(exactStateSkippedLog + QString::number(m_notRestored));
        else if (!makeExactState(set, lines))
            m_runLog.dologu(exactStateNoSourcesLog + set);
    }

    if (m_runState.stopRequested) {
        info2(m_host, text("Přerušeno uživatelem"));
        endStopped(text("Přerušeno uživatelem"));
        return;
    }
    endSummary(true);

    if (m_notRestored == 0) {
        info2(m_host, text("Obnova dat byla dokončena"));
    } else {
        const QString warning = text("Obnova dat dokončena s varováním, počet neobnovených souborů:") +
                                QLatin1Char(' ') + QString::number(m_notRestored);
        info2(m_host, warning);
        m_host.setStatusHint(Page::Restore, warning);
    }
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

void RestoreRun::endStopped(const QString& reason)
{
    endSummary(false, reason);
    m_controls.setRestoreCaption(text("pokra čovat"));
    m_controls.setRestoreEnabled(true);
    m_showsStop = false;
    m_mode = Mode::pokracovat;
    m_host.setProgress(Page::Restore, 0, 0);
    m_controls.setPagesEnabled(true, restorePage);
}

void RestoreRun::endSummary(bool completed, const QString& reason)
{
    if (!m_summary)
        return;
    endRunSummary(m_host, Page::Restore, m_runLog, *m_summary, completed, reason);
    m_summary.reset();
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

bool RestoreRun::makeExactState(const QString& set, const QStringList& lines)
{
    // The folders of the set's source list, as the run that made the set scanned them.
    const QString tmp = programFile(QStringLiteral("tmp"));
    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Extractor extractor(m_destination, m_runner, m_host, &m_runLog, m_archiveState, settings);
    SourcesFile::ReadResult sources;
    if (extractor.dearchivovat(set, SetLayout::sourcesFile.toString(), tmp, QStringLiteral("0")))
        sources = SourcesFile::read(tmp + QLatin1Char('/') + SourcesFile::fileName);
    storage::odstran_dir(tmp);
    if (!sources.ok)
        return false;

    // What the set holds: every file of the list. Each one is in place now, and must stay.
    QSet<QString> keptFiles;
    for (const QString& line : lines)
        keptFiles.insert(catalogField(line, CatalogLine::Path));
    for (const QString& path : std::as_const(keptFiles)) {
        if (!storage::FileExists2(path)) {
            m_runLog.dologu(exactStateSkippedLog + path);
            return true; // reported: nothing is removed while a file of the set is not there
        }
    }

    const QStringList guarded{platform::programFolder(), m_destination.localPath(set), QDir::currentPath()};
    for (const QString& line : sources.lines) {
        if (!RestoreTarget::isRemovableSourceFolder(line, guarded))
            continue;
        const QString folder = QDir::cleanPath(line);
        // The folders that hold a kept file, below this source folder and the folder itself.
        const QString prefix = folder + QLatin1Char('/');
        QSet<QString> keptFolders;
        for (const QString& path : std::as_const(keptFiles)) {
            if (!path.startsWith(prefix))
                continue;
            keptFolders.insert(folder);
            QString parent = path.left(path.lastIndexOf(QLatin1Char('/')));
            while (parent.size() > folder.size()) {
                keptFolders.insert(parent);
                parent = parent.left(parent.lastIndexOf(QLatin1Char('/')));
            }
        }
        info2(m_host, folder);
        if (!keptFolders.contains(folder)) {
            // The set holds nothing of this folder.
            storage::odstran_dir(folder, [this] { m_host.pump(); });
            continue;
        }
        const auto keep = [&](const QByteArray& relativePath, bool isFolder) {
            const QString path = prefix + QFile::decodeName(relativePath);
            return isFolder ? keptFolders.contains(path) : keptFiles.contains(path);
        };
        platform::DirectoryTree::pruneTree(folder, keep, [this] { m_host.pump(); });
    }
    return true;
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
