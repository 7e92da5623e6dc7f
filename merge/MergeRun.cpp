#include "merge/MergeRun.h"

#include "archive/Archiver.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "archive/ScratchLeftovers.h"
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
#include "merge/MergeControls.h"
#include "platform/ProgramFolder.h"
#include "storage/Destination.h"
#include "storage/local/LocalPaths.h"
#include "storage/local/LocalTree.h"

#include <filesystem>
#include <QFile>
#include <QFileInfo>
#include <system_error>

namespace ombrix {

namespace {

constexpr int mergePage = 5;
constexpr int completionPauseMs = 3000;
constexpr qsizetype timeStampLength = 19;
// Log line of a file whose archive could not be moved into the target set.
const QString notMovedLog = QStringLiteral("not merged, kept in its set: ");
// Log line of a set whose catalog could not be read or stored back; the merge stays unfinished.
const QString catalogFailedLog = QStringLiteral("merge halted, catalog not corrected in: ");

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

bool renameFile(const QString& source, const QString& target)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(source).toStdString()),
                            std::filesystem::path(QFile::encodeName(target).toStdString()), error);
    return !error;
}

} // namespace

MergeRun::MergeRun(Host& host, MergeControls& controls, IniStore& config, RunLog& runLog, RunState& runState,
                   ArchiveState& archiveState, Destination& destination)
    : m_host(host), m_controls(controls), m_config(config), m_runLog(runLog), m_runState(runState),
      m_archiveState(archiveState), m_destination(destination), m_runner(runState, host)
{
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

void MergeRun::refuse()
{
    m_refused = true;
    m_controls.setMergeCaption(text("SLOUČIT"));
    m_config.writeInt(ConfigKeys::SUM_DONE, 1);
    m_controls.setPagesEnabled(true, mergePage);
    m_host.setProgress(Page::Merge, 0, 0);
    m_controls.enableMergeList(true);
    m_controls.xExit();
}

bool MergeRun::checkSets(const QStringList& entries, int first, int target)
{
    info3(m_host, text("probíhá kontrola archivů"));
    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, settings);
    const QStringList sideFiles{SetLayout::catalogFile.toString(), SetLayout::configFile.toString(),
                                SetLayout::logFile.toString(), SetLayout::sourcesFile.toString()};
    for (int q = first; q < entries.size(); ++q) {
        m_controls.selectOnly(q);
        m_host.setProgress(Page::Merge, int(entries.size()) - 1, q);
        m_host.pump();
        const QString set = fullName(entries.at(q));
        bool complete = true;
        for (const QString& side : sideFiles) {
            if (!checks.testarchiv(set, side, QStringLiteral("0"))) {
                complete = false;
                break;
            }
        }
        if (!complete) {
            m_controls.setMergeEntry(q, entries.at(q).left(timeStampLength) + QStringLiteral("    fail"));
            if (q >= target) {
                m_controls.selectOnly(q);
                info3(m_host, text("Přerušeno, neúplný archiv:") + QLatin1Char(' ') + set);
                return false;
            }
        }
        if (q >= target && !checks.lze_odemknout(set)) {
            info3(m_host, text("Přerušeno, neznámé heslo:") + QLatin1Char(' ') + set);
            return false;
        }
    }
    return true;
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

bool MergeRun::storeCatalog(const QString& set, const QStringList& lines)
{
    if (!CatalogFile::write(localCatalog(), lines))
        return false;
    ArchiveSettings settings;
    settings.targetArchiveName = set;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Archiver archiver(m_destination, m_runner, m_host, &m_runLog, settings);
    if (!archiver.archivovat(SetLayout::catalogFile.toString(), QStringLiteral("0")))
        return false; // the local copy stays for the next attempt
    QFile::remove(localCatalog());
    return true;
}

bool MergeRun::moveIntoTarget(const QString& line, const QString& target)
{
    const QString lineSet = catalogField(line, CatalogLine::Set);
    const QString path = catalogField(line, CatalogLine::Path);
    const bool plainCopy = catalogField(line, CatalogLine::PlainCopy) == QLatin1String("1");
    const QString source =
        m_destination.localPath(SetLayout::pathInSet(path, plainCopy).prepend(lineSet + QLatin1Char('/')));
    const QString moved =
        m_destination.localPath(SetLayout::pathInSet(path, plainCopy).prepend(target + QLatin1Char('/')));
    if (source.isEmpty() || moved.isEmpty())
        return false;
    if (storage::FileExists2(moved) || !storage::FileExists2(source))
        return true; // already moved by an earlier attempt, or nothing left to keep
    if (!storage::forceLocalDir(QFileInfo(moved).absolutePath()))
        return false;
    return renameFile(source, moved) || renameFile(storage::AppendUNC(source), storage::AppendUNC(moved));
}

void MergeRun::stopped()
{
    info3(m_host, text("přerušeno uživatelem"));
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
    stopped();
    info3(m_host, text("Přerušeno, neúplný archiv:") + QLatin1Char(' ') + set);
}

void MergeRun::run()
{
    m_refused = false;
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
    if (!checkSets(entries, first, targetPosition)) {
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
    if (!loadCatalog(target, lines)) {
        // Without the target's catalog nothing can be moved safely; the merge stays unfinished.
        halted(target);
        return;
    }
    // Scratch archives of a catalog store that was cut off are not part of the set.
    ScratchLeftovers::removeScratchLeftovers(m_destination, target, lines);
    m_host.setProgress(Page::Merge, int(lines.size()), 0);
    m_controls.selectMergeRange();
    m_host.pump();

    for (qsizetype i = 0; i < lines.size() && !m_runState.mergeStopRequested; ++i) {
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
        if (moveIntoTarget(line, target)) {
            CatalogLine::replaceSet(line, target);
        } else {
            m_keptSets.insert(lineSet);
            m_unmovedKeys.insert(CatalogLine::compareKey(line));
            m_unmoved << catalogField(line, CatalogLine::Path);
            m_runLog.dologu(notMovedLog + catalogField(line, CatalogLine::Path));
        }
    }
    if (!storeCatalog(target, lines)) {
        // The merged sets may not go while the stored catalog still names them.
        halted(target);
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
        if (!loadCatalog(later, laterLines)) {
            // An uncorrected catalog may still name the merged sets: they must stay.
            halted(later);
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
            halted(later);
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
        const QString folder = m_destination.localPath(set);
        if (!folder.isEmpty())
            storage::odstran_dir(folder, [this] { m_host.pump(); });
    }

    info3(m_host, text("Slučování archivu je ukončeno"));
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
    sleepX(m_host, completionPauseMs * m_pausePercent / 100);
    m_controls.listMergeSets();
}

} // namespace ombrix
