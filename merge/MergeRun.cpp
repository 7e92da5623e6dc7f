#include "merge/MergeRun.h"

#include "archive/Archiver.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "archive/ScratchLeftovers.h"
#include "archive/SetLocation.h"
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
#include "merge/MergeControls.h"
#include "platform/ProgramFolder.h"
#include "storage/Destination.h"

#include <algorithm>
#include <QFile>
#include <utility>

namespace ombrix {

namespace {

constexpr int mergePage = 5;
constexpr int completionPauseMs = 3000;
constexpr qsizetype timeStampLength = 19;
// Log line of a file whose archive could not be moved into the target set.
const QString notMovedLog = QStringLiteral("not merged, kept in its set: ");
// Log line of a set whose catalog could not be read or stored back; the merge stays unfinished.
const QString catalogFailedLog = QStringLiteral("merge halted, catalog not corrected in: ");
// Log line of a merge ended because the destination's connection was lost.
const QString connectionLostLog = QStringLiteral("merge interrupted, the destination's connection was lost");
// What a stored catalog is called while a new one is uploaded over it.
const QString asideSuffix = QStringLiteral(".previous");

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

QString fullName(const QString& entry)
{
    return SetName::prefix.toString() + entry.left(timeStampLength);
}

QString localCatalog()
{
    return platform::programFile(SetLayout::catalogFile.toString());
}

// The catalog archive of a set, relative to the destination root.
QString catalogArchive(const QString& set)
{
    return SetLocation::of(set, SetLayout::catalogFile.toString()).archivePath();
}

} // namespace

MergeRun::MergeRun(Host& host, MergeControls& controls, IniStore& config, RunLog& runLog, RunState& runState,
                   ArchiveState& archiveState, Destination& destination)
    : m_host(host), m_controls(controls), m_config(config), m_runLog(runLog), m_runState(runState),
      m_archiveState(archiveState), m_destination(destination), m_runner(runState, host)
{
}

QString MergeRun::asideCatalog(const QString& set)
{
    const QString stored = catalogArchive(set);
    return stored.isEmpty() ? QString() : stored + asideSuffix;
}

void MergeRun::runMerge()
{
    if (m_showsStop) {
        m_controls.setMergeEnabled(false);
        m_runState.mergeStopRequested = true;
        return;
    }
    if (m_running)
        return;
    m_running = true;
    run();
    m_running = false;
}

void MergeRun::resumeMergeAtStart()
{
    if (m_config.readInt(ConfigKeys::SUM_DONE, 1) != 0)
        return;
    m_controls.setPagesEnabled(false, mergePage);
    m_controls.setMergeCaption(QStringLiteral("pokračovat"));
}

bool MergeRun::remote() const
{
    return m_destination.kind() != DestinationKind::Dir;
}

bool MergeRun::connectionGone(bool* reconnected)
{
    if (reconnected)
        *reconnected = false;
    if (m_connectionLost)
        return true;
    if (!remote() || m_destination.keepAlive())
        return false; // the destination answers: its "no" stands
    m_destination.reconnect();
    if (m_destination.keepAlive()) {
        // Whatever was remembered came from the connection that broke.
        m_destination.clearCaches();
        if (reconnected)
            *reconnected = true;
        return false;
    }
    m_connectionLost = true;
    return true;
}

bool MergeRun::answers(const std::function<bool()>& question)
{
    if (question())
        return true;
    bool reconnected = false;
    if (connectionGone(&reconnected) || !reconnected)
        return false;
    if (question())
        return true;
    // Once reopened, a connection that breaks again ends the merge.
    if (!m_destination.keepAlive())
        m_connectionLost = true;
    return false;
}

void MergeRun::refuse()
{
    // Refused before anything changed: no merge ran.
    m_summary.reset();
    m_refused = true;
    m_controls.setMergeCaption(text("SLOUČIT"));
    m_config.writeInt(ConfigKeys::SUM_DONE, 1);
    m_controls.setPagesEnabled(true, mergePage);
    m_host.setProgress(Page::Merge, 0, 0);
    m_controls.enableMergeList(true);
    m_controls.xExit();
}

bool MergeRun::checkSets(const QStringList& entries, int first, int target, ArchiveSetChecks& checks)
{
    info3(m_host, text("probíhá kontrola archivů"));
    const QStringList sideFiles{SetLayout::catalogFile.toString(), SetLayout::configFile.toString(),
                                SetLayout::logFile.toString(), SetLayout::sourcesFile.toString()};
    for (int q = first; q < entries.size(); ++q) {
        m_controls.selectOnly(q);
        m_host.setProgress(Page::Merge, int(entries.size()) - 1, q);
        m_host.pump();
        const QString set = fullName(entries.at(q));
        bool complete = true;
        for (const QString& side : sideFiles) {
            if (!answers([&] { return checks.testarchiv(set, side, QStringLiteral("0")); })) {
                complete = false;
                break;
            }
        }
        // A side archive that could not be asked about is no missing one.
        if (m_connectionLost)
            return false;
        if (!complete) {
            m_controls.setMergeEntry(q, entries.at(q).left(timeStampLength) + QStringLiteral("    fail"));
            if (q >= target) {
                m_controls.selectOnly(q);
                info3(m_host, text("Přerušeno, neúplný archiv:") + QLatin1Char(' ') + set);
                return false;
            }
        }
        if (q >= target && !answers([&] { return checks.lze_odemknout(set); })) {
            if (m_connectionLost)
                return false;
            info3(m_host, text("Přerušeno, neznámé heslo:") + QLatin1Char(' ') + set);
            return false;
        }
    }
    return true;
}

bool MergeRun::recoverAsideCatalogs(const QStringList& entries, int first, ArchiveSetChecks& checks)
{
    if (!remote())
        return true; // a local catalog is replaced by a rename, never in place
    for (int q = first; q < entries.size(); ++q) {
        const QString set = fullName(entries.at(q));
        const QString aside = asideCatalog(set);
        // The set folder's listing answers this and the checks of its side archives after it.
        if (aside.isEmpty() || !m_destination.fileExists(aside))
            continue;
        const QString stored = catalogArchive(set);
        // Both whole: the newer one stays. The one in place may be the part of an upload that
        // was cut off: then the copy aside is the set's catalog.
        if (m_destination.fileExists(stored) && checks.lze_odemknout(set)) {
            m_destination.deleteFile(aside);
        } else if (m_destination.deleteFile(stored)) {
            m_destination.renameEntry(aside, stored);
        }
    }
    // One question settles whether the connection behind all those answers still works.
    return !connectionGone();
}

bool MergeRun::loadCatalog(const QString& set, QStringList& lines)
{
    QFile::remove(localCatalog());
    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Extractor extractor(m_destination, m_runner, m_host, &m_runLog, m_archiveState, settings);
    if (!extractor.dearchivovat(set, SetLayout::catalogFile.toString(), platform::programFolder(),
                                QStringLiteral("0")))
        return false;
    const CatalogFile::ReadResult read = CatalogFile::read(localCatalog());
    lines = read.lines;
    return read.ok;
}

bool MergeRun::setCatalogAside(const QString& set)
{
    const QString stored = catalogArchive(set);
    const QString aside = asideCatalog(set);
    if (stored.isEmpty() || aside.isEmpty())
        return false;
    // A store cut off in this run left the whole catalog aside already; what is in place now is
    // at most a part of the new one, which the upload replaces.
    if (answers([&] { return m_destination.fileExists(aside); }))
        return true;
    if (m_connectionLost)
        return false;
    if (!answers([&] { return m_destination.fileExists(stored); }))
        return !m_connectionLost; // nothing in place to keep
    // A rename whose answer was lost may have happened all the same.
    return answers(
        [&] { return m_destination.renameEntry(stored, aside) || m_destination.fileExists(aside); });
}

void MergeRun::putCatalogBack(const QString& set)
{
    const QString stored = catalogArchive(set);
    const QString aside = asideCatalog(set);
    // Without a connection the copy stays aside; the next run puts it back.
    if (aside.isEmpty() || !m_destination.fileExists(aside))
        return;
    if (m_destination.deleteFile(stored))
        m_destination.renameEntry(aside, stored);
}

bool MergeRun::storeCatalog(const QString& set, const QStringList& lines)
{
    if (!CatalogFile::write(localCatalog(), lines))
        return false;
    if (remote() && !setCatalogAside(set))
        return false; // the local copy stays for the next attempt
    ArchiveSettings settings;
    settings.targetArchiveName = set;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Archiver archiver(m_destination, m_runner, m_host, &m_runLog, settings);
    if (!archiver.archivovat(SetLayout::catalogFile.toString(), QStringLiteral("0"))) {
        if (remote())
            putCatalogBack(set);
        return false; // the local copy stays for the next attempt
    }
    QFile::remove(localCatalog());
    // The copy aside has done its work; while it is there the set's catalog is not settled, so
    // the merged sets must not go yet.
    return !remote() || answers([&] { return m_destination.deleteFile(asideCatalog(set)); });
}

MergeRun::Move MergeRun::moveIntoTarget(const QString& line, const QString& target, qint64& bytes)
{
    bytes = 0;
    const QString lineSet = catalogField(line, CatalogLine::Set);
    const QString path = catalogField(line, CatalogLine::Path);
    const bool plainCopy = catalogField(line, CatalogLine::PlainCopy) == QLatin1String("1");
    const SetLocation from = SetLocation::of(lineSet, path);
    const SetLocation into = SetLocation::of(target, path);
    if (!from.valid() || !into.valid())
        return Move::Kept;
    const QString source = from.entry(plainCopy);
    const QString moved = into.entry(plainCopy);

    // Already moved by an earlier attempt. (A "no" that came from a broken connection is caught
    // by the question about the source below.)
    if (m_destination.fileExists(moved)) {
        bytes = std::max<qint64>(m_destination.fileSize(moved), 0);
        return Move::InTarget;
    }
    if (!answers([&] { return m_destination.fileExists(source); }))
        return m_connectionLost ? Move::Lost : Move::InTarget; // nothing left to keep
    // Asked while the source is there (a remote destination answers from the listing it has).
    const qint64 size = std::max<qint64>(m_destination.fileSize(source), 0);
    if (!answers([&] { return m_destination.makeFolders(into.folder()); }))
        return m_connectionLost ? Move::Lost : Move::Kept;
    bytes = size;
    if (m_destination.renameEntry(source, moved))
        return Move::InTarget;
    // A rename whose answer was lost may have happened all the same.
    if (answers([&] { return m_destination.fileExists(moved); }))
        return Move::InTarget;
    bytes = 0;
    return m_connectionLost ? Move::Lost : Move::Kept;
}

void MergeRun::stopped()
{
    info3(m_host, text("přerušeno uživatelem"));
    endSummary(false, text("přerušeno uživatelem"));
    m_controls.selectMergeRange();
    m_controls.setMergeCaption(QStringLiteral("pokračovat"));
    m_controls.setMergeEnabled(true);
    m_showsStop = false;
    m_host.setProgress(Page::Merge, 0, 0);
    m_mergedSetNames.clear();
}

void MergeRun::halted(const QString& set)
{
    m_runLog.dologu(catalogFailedLog + set);
    endSummary(false, text("Přerušeno, neúplný archiv:") + QLatin1Char(' ') + set);
    stopped();
    info3(m_host, text("Přerušeno, neúplný archiv:") + QLatin1Char(' ') + set);
}

void MergeRun::endConnectionLost()
{
    m_runLog.dologu(connectionLostLog);
    endSummary(false, text("Slučování přerušeno, spojení ztraceno"));
    m_showsStop = false;
    m_mergedSetNames.clear();
    m_host.setProgress(Page::Merge, 0, 0);
    if (m_config.readInt(ConfigKeys::SUM_DONE, 1) == 0) {
        // As after STOP: the range stays chosen and the only way on is to continue.
        m_controls.selectMergeRange();
        m_controls.setMergeCaption(QStringLiteral("pokračovat"));
    } else {
        // Nothing was changed: the page is as it was before the click.
        m_controls.setMergeCaption(text("SLOUČIT"));
        m_controls.enableMergeList(true);
        m_controls.setPagesEnabled(true, mergePage);
    }
    m_controls.setMergeEnabled(true);
    info3(m_host, text("Slučování přerušeno, spojení ztraceno"));
}

void MergeRun::endSummary(bool completed, const QString& reason)
{
    if (!m_summary)
        return;
    endRunSummary(m_host, Page::Merge, m_runLog, *m_summary, completed, reason);
    m_summary.reset();
}

void MergeRun::haltedOrLost(const QString& set)
{
    if (connectionGone())
        endConnectionLost();
    else
        halted(set);
}

void MergeRun::run()
{
    m_refused = false;
    m_connectionLost = false;
    m_destination.clearCaches();
    m_controls.enableMergeList(false);
    m_controls.setMergeEnabled(false);
    const QStringList entries = m_controls.mergeEntries();
    const QList<int> selected = m_controls.selectedPositions();
    if (selected.size() < 2) {
        refuse();
        return;
    }
    const int first = selected.front();
    const int targetPosition = selected.back();
    QStringList mergeSets;
    for (qsizetype k = selected.size() - 1; k >= 0; --k)
        mergeSets << fullName(entries.at(selected.at(k)));
    m_summary.emplace(RunSummary::Kind::Merge, mergeSets.front());
    m_host.clearRunSummary(Page::Merge);

    ArchiveSettings checkSettings;
    checkSettings.passwordEnabled = m_controls.passwordEnabled();
    checkSettings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, checkSettings);
    if (!recoverAsideCatalogs(entries, first, checks)) {
        endConnectionLost();
        return;
    }
    if (!checkSets(entries, first, targetPosition, checks)) {
        if (m_connectionLost)
            endConnectionLost();
        else
            refuse();
        return;
    }

    m_runState.mergeStopRequested = false;
    m_controls.setMergeCaption(QStringLiteral("STOP"));
    m_controls.setMergeEnabled(true);
    m_showsStop = true;
    const QString target = mergeSets.front();
    m_config.writeInt(ConfigKeys::SUM_DONE, 0);
    m_mergedSetNames = QSet<QString>(mergeSets.begin() + 1, mergeSets.end());
    m_keptSets.clear();
    m_unmovedKeys.clear();
    m_unmoved.clear();

    QStringList lines;
    if (!answers([&] { return loadCatalog(target, lines); })) {
        // Without the target's catalog nothing can be moved safely; the merge stays unfinished.
        haltedOrLost(target);
        return;
    }
    // Scratch archives of a catalog store that was cut off are not part of the set.
    ScratchLeftovers::removeScratchLeftovers(m_destination, target, lines);
    m_host.setProgress(Page::Merge, int(lines.size()), 0);
    // The files to move: the lines that name a merged set. Their sizes are not in the catalog.
    qint64 filesToMove = 0;
    for (const QString& line : std::as_const(lines))
        filesToMove += m_mergedSetNames.contains(catalogField(line, CatalogLine::Set)) ? 1 : 0;
    RunProgressReport progress(m_host, Page::Merge, filesToMove, -1);
    progress.show();
    m_controls.selectMergeRange();
    m_host.pump();

    for (qsizetype i = 0; i < lines.size() && !m_runState.mergeStopRequested && !m_connectionLost; ++i) {
        if (i % 100 == 0) {
            m_host.setProgress(Page::Merge, int(lines.size()), int(i));
            m_host.pump();
        }
        QString& line = lines[i];
        const QString lineSet = catalogField(line, CatalogLine::Set);
        if (!m_mergedSetNames.contains(lineSet))
            continue;
        if (i % 10 == 0)
            info3(m_host, catalogField(line, CatalogLine::Path));
        qint64 bytes = 0;
        switch (moveIntoTarget(line, target, bytes)) {
        case Move::InTarget:
            CatalogLine::replaceSet(line, target);
            m_summary->fileDone(bytes);
            progress.fileDone(bytes);
            break;
        case Move::Kept:
            m_keptSets.insert(lineSet);
            m_unmovedKeys.insert(CatalogLine::compareKey(line));
            m_unmoved << catalogField(line, CatalogLine::Path);
            m_runLog.dologu(notMovedLog + catalogField(line, CatalogLine::Path));
            m_summary->fileNotDone();
            progress.fileDone(0);
            break;
        case Move::Lost:
            break; // the line still names its set; the next run decides it
        }
    }
    progress.show();
    if (m_connectionLost) {
        // The stored catalog still names the old sets for the files moved so far; a continued
        // merge finds them in the target and corrects their lines.
        endConnectionLost();
        return;
    }
    if (!storeCatalog(target, lines)) {
        // The merged sets may not go while the stored catalog still names them.
        haltedOrLost(target);
        return;
    }
    if (m_runState.mergeStopRequested) {
        stopped();
        return;
    }
    m_host.setProgress(Page::Merge, 0, 0);
    m_host.pump();

    for (int q = targetPosition + 1; q < entries.size() && !m_runState.mergeStopRequested; ++q) {
        info3(m_host, text("oprava všech následných archivlistů"));
        m_controls.selectOnly(q);
        const QString later = fullName(entries.at(q));
        QStringList laterLines;
        if (!answers([&] { return loadCatalog(later, laterLines); })) {
            // An uncorrected catalog may still name the merged sets: they must stay.
            haltedOrLost(later);
            return;
        }
        ScratchLeftovers::removeScratchLeftovers(m_destination, later, laterLines);
        m_host.setProgress(Page::Merge, int(laterLines.size()), 0);
        for (qsizetype i = 0; i < laterLines.size() && !m_runState.mergeStopRequested; ++i) {
            if (i % 100 == 0) {
                m_host.setProgress(Page::Merge, int(laterLines.size()), int(i));
                m_host.pump();
            }
            QString& line = laterLines[i];
            if (m_mergedSetNames.contains(catalogField(line, CatalogLine::Set)) &&
                !m_unmovedKeys.contains(CatalogLine::compareKey(line)))
                CatalogLine::replaceSet(line, target);
        }
        if (!storeCatalog(later, laterLines)) {
            haltedOrLost(later);
            return;
        }
    }
    if (m_runState.mergeStopRequested) {
        stopped();
        return;
    }

    m_controls.setMergeEnabled(false);
    m_host.setProgress(Page::Merge, 0, 0);
    for (qsizetype k = 1; k < mergeSets.size(); ++k) {
        const QString& set = mergeSets.at(k);
        if (m_keptSets.contains(set))
            continue; // still holds archives the catalogs refer to
        info3(m_host, text("mazání archivu") + QLatin1Char(' ') + set);
        m_host.pump();
        // What cannot be removed stays; only a lost connection keeps the merge unfinished, so
        // the next run removes the rest.
        answers([&] { return m_destination.removeTree(set, [this] { m_host.pump(); }); });
        if (m_connectionLost) {
            endConnectionLost();
            return;
        }
    }

    m_config.writeInt(ConfigKeys::SUM_DONE, 1);
    m_config.writeString(ConfigKeys::SUM_FROM, QString());
    m_config.writeString(ConfigKeys::SUM_TO, QString());
    m_controls.setMergeCaption(text("SLOUČIT"));
    m_showsStop = false;
    m_host.setProgress(Page::Merge, 0, 0);
    m_controls.setMergeEnabled(true);
    m_controls.enableMergeList(true);
    m_controls.setPagesEnabled(true, mergePage);
    m_controls.clearRestoreListLoaded();
    // The list shows the sets as they are now from here on, not only after the pause.
    m_controls.listMergeSets();
    endSummary(true);
    info3(m_host, text("Slučování archivu je ukončeno"));
    sleepX(m_host, completionPauseMs * m_pausePercent / 100);
    m_controls.listMergeSets();
}

} // namespace ombrix
