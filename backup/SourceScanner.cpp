#include "backup/SourceScanner.h"

#include "core/catalog/CatalogTime.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/lang/Translator.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "core/log/Status.h"
#include "core/sources/MaskName.h"
#include "core/sources/SourceFilter.h"
#include "core/sources/SourceParser.h"
#include "platform/DirectoryTree.h"
#include "platform/FileSystemInfo.h"
#include "storage/local/LocalPaths.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <system_error>

namespace ombrix {

namespace {

namespace tree = platform::DirectoryTree;

// Files taken between two pumps of the window, so a huge tree keeps it alive.
constexpr int pumpEveryFiles = 2000;

// The last write of a file (a link is followed) as a moment in UTC; invalid when the file is
// gone. Reading it through the standard library avoids Qt's conversion to local time, which
// costs more than the whole rest of the scan on a large tree.
QDateTime lastWriteUtc(const QString& path)
{
    std::error_code error;
    const auto written =
        std::filesystem::last_write_time(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    if (error)
        return QFileInfo(path).lastModified(); // whatever Qt can still read (invalid when gone)
    const auto sinceEpoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count(), Qt::UTC);
}

const QString firstCatalogTime = QStringLiteral("1980-01-01-00-00-00");
const QString lastCatalogTime = QStringLiteral("2107-12-31-23-59-58");

// The entry's path as files below it are joined to: without trailing separators, except that
// the root folder stays "/".
QString entryPath(const QString& path)
{
    QString out = path;
    while (out.size() > 1 && out.endsWith(QLatin1Char('/')))
        out.chop(1);
    return out;
}

QString joinPath(const QString& folder, const QString& relative)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + relative;
    return folder + QLatin1Char('/') + relative;
}

// Why something that is not a regular file is not archived, for its log line.
QString notArchivedReason(tree::Target target, bool throughLink)
{
    QString what;
    switch (target) {
    case tree::Target::Folder:
        what = QStringLiteral("folder");
        break;
    case tree::Target::NamedPipe:
        what = QStringLiteral("named pipe");
        break;
    case tree::Target::Socket:
        what = QStringLiteral("socket");
        break;
    case tree::Target::Device:
        what = QStringLiteral("device");
        break;
    case tree::Target::Missing:
        return throughLink ? QStringLiteral("dangling link") : QStringLiteral("gone");
    case tree::Target::Loop:
        return QStringLiteral("link loop");
    case tree::Target::File:
    case tree::Target::OtherSpecial:
        what = QStringLiteral("special file");
        break;
    }
    if (throughLink)
        return QStringLiteral("link to a ") + what;
    return what;
}

} // namespace

SourceScanner::SourceScanner(Host& host, RunLog& runLog, RunState& runState, Options options)
    : m_host(host), m_runLog(runLog), m_runState(runState), m_options(options)
{
}

QString SourceScanner::catalogTimeOf(const QString& path, bool folderScan) const
{
    const QDateTime lastWrite = lastWriteUtc(path);
    if (!lastWrite.isValid())
        return {};
    const bool shift = folderScan && m_options.daylightAtStart;
    const QString time = CatalogTime::fromFileTime(lastWrite, int(m_options.utcOffsetAtStart), shift);
    if (!time.isEmpty())
        return time;
    // Outside what the format holds (a file dated 1970 is common): pin it to the nearest end
    // rather than leave the file out of the backup.
    const QDateTime shifted = lastWrite.toUTC().addSecs(m_options.utcOffsetAtStart - (shift ? 3600 : 0));
    return shifted.date().year() < CatalogTime::firstYear ? firstCatalogTime : lastCatalogTime;
}

void SourceScanner::countAndPump()
{
    if (++m_filesSincePump >= pumpEveryFiles) {
        m_filesSincePump = 0;
        m_host.pump();
    }
}

void SourceScanner::warn(ScanResult& result, const QString& line, int status)
{
    m_runLog.dologu(line);
    result.runStatus = std::max(result.runStatus, status);
}

void SourceScanner::notArchived(ScanResult& result, const QString& path, const QString& reason)
{
    // Two source entries can reach the same path (a folder and one of its subfolders).
    if (m_reported.contains(path))
        return;
    m_reported.insert(path);
    warn(result, logline::notArchived + path + QStringLiteral(" (") + reason + QLatin1Char(')'), RunWarnings);
}

void SourceScanner::reportSpecial(const QString& folder, const QByteArray& name,
                                  const QByteArray& relativePath, const SourceFilter& filter,
                                  ScanResult& result)
{
    if (!filter.takesFile(QFile::decodeName(name)))
        return;
    const QString path = joinPath(folder, QFile::decodeName(relativePath));
    const tree::Target target = tree::targetOf(path);
    if (target == tree::Target::Missing || target == tree::Target::File || target == tree::Target::Folder)
        return; // gone or replaced since the folder was read
    notArchived(result, path, notArchivedReason(target, false));
}

void SourceScanner::takeFile(const QString& folder, const QByteArray& name, const QByteArray& relativePath,
                             bool isLink, const SourceFilter& filter, ScanResult& result)
{
    const QString bareName = QFile::decodeName(name);
    const MaskName maskName(bareName);
    const QString relative = QFile::decodeName(relativePath);
    const QString path = joinPath(folder, relative);
    if (isLink) {
        const tree::Target target = tree::targetOf(path);
        if (target == tree::Target::Folder) {
            // Reported where a folder of that name would have been entered.
            if (filter.includeSubdirs() && filter.entersFolder(maskName))
                notArchived(result, path, notArchivedReason(target, true));
            return;
        }
        if (target != tree::Target::File) {
            if (filter.takesFile(maskName))
                notArchived(result, path, notArchivedReason(target, true));
            return;
        }
    }
    if (!filter.takesFile(maskName))
        return;
    if (QFile::encodeName(relative) != relativePath) {
        // A name that is not valid in the locale's encoding cannot be written back from its
        // text form, so the file could not be found again to archive it.
        warn(result, logline::notArchived + path, RunWarnings);
        return;
    }
    const QString time = catalogTimeOf(path, true);
    if (time.isEmpty())
        return; // gone since the folder was read
    result.files.append(ScannedFile{path, time, filter.storesPlain(maskName)});
}

void SourceScanner::scanSubfolders(const QString& folder, const SourceFilter& filter, ScanResult& result)
{
    tree::walk(folder, [&](const tree::Entry& entry) {
        countAndPump();
        switch (entry.kind) {
        case tree::Kind::Folder:
            return filter.entersFolder(QFile::decodeName(entry.name)) ? tree::Visit::Descend
                                                                      : tree::Visit::Skip;
        case tree::Kind::File:
        case tree::Kind::Symlink:
            if (entry.depth >= 1)
                takeFile(folder, entry.name, entry.relativePath, entry.kind == tree::Kind::Symlink, filter,
                         result);
            return tree::Visit::Descend;
        default:
            // Pipes, sockets, devices: never archived (an archiver reading a pipe would wait for
            // ever). The entry's own files are reported by the second pass.
            if (entry.depth >= 1)
                reportSpecial(folder, entry.name, entry.relativePath, filter, result);
            return tree::Visit::Descend;
        }
    });
}

void SourceScanner::scanOwnFiles(const QString& folder, const SourceFilter& filter, ScanResult& result)
{
    tree::walk(folder, [&](const tree::Entry& entry) {
        countAndPump();
        if (entry.kind == tree::Kind::File || entry.kind == tree::Kind::Symlink)
            takeFile(folder, entry.name, entry.relativePath, entry.kind == tree::Kind::Symlink, filter,
                     result);
        else if (entry.kind != tree::Kind::Folder)
            reportSpecial(folder, entry.name, entry.relativePath, filter, result);
        return tree::Visit::Skip;
    });
}

ScanResult SourceScanner::scan(const QStringList& sourceLines)
{
    ScanResult result;
    m_filesSincePump = 0;
    m_reported.clear();
    info(m_host, getLang(QStringLiteral("Skenování adresářů a souborů určených k zálohování")));
    const int lastLine = int(sourceLines.size()) - 1;

    // First pass: the subfolders of every folder entry that includes them.
    for (int i = 0; i < sourceLines.size(); ++i) {
        m_host.setProgress(Page::Backup, lastLine, i);
        m_host.pump();
        const SourceEntry entry = pars_source(sourceLines.at(i));
        if (entry.blank)
            continue;
        const SourceFilter filter(entry);
        if (!filter.isValid() || !filter.includeSubdirs())
            continue;
        const QString folder = entryPath(entry.path);
        const QString root = platform::storageRoot(folder);
        if (!root.isEmpty() && !platform::storagePresent(root))
            continue; // reported by the second pass
        if (storage::DirectoryExists2(storage::AppendUNC(folder)))
            scanSubfolders(folder, filter, result);
    }

    // Second pass: each entry's own files, single files, and what cannot be scanned.
    for (int i = 0; i < sourceLines.size(); ++i) {
        m_host.pump();
        const SourceEntry entry = pars_source(sourceLines.at(i));
        if (entry.blank)
            continue;
        const SourceFilter filter(entry);
        const QString path = entryPath(entry.path);
        // A removable medium that is not attached may leave its empty mount folder behind; that
        // is an absent storage, not an empty source folder whose files would all seem deleted.
        const QString root = entry.problem.isEmpty() ? platform::storageRoot(path) : QString();
        if (!root.isEmpty() && !platform::storagePresent(root)) {
            result.missingStorages.insert(root);
            warn(result, logline::missingStorage + entry.path, RunWarnings);
            continue;
        }
        if (entry.problem.isEmpty() && storage::DirectoryExists2(storage::AppendUNC(path))) {
            if (filter.isValid()) {
                scanOwnFiles(path, filter, result);
                continue;
            }
        } else if (entry.problem.isEmpty() && storage::FileExists2(storage::AppendUNC(path))) {
            // A file named directly: masks do not apply, it is always compressed, and its time
            // takes no daylight shift. One that cannot be read is an invalid record.
            QFile file(path);
            const QString time = catalogTimeOf(path, false);
            if (!time.isEmpty() && file.open(QIODevice::ReadOnly)) {
                result.files.append(ScannedFile{path, time, false});
                continue;
            }
        }
        // Whatever is left cannot be backed up as written. With skipping off every such line
        // is still logged before the run ends after the scan.
        if (m_options.skipInvalidEntries) {
            warn(result, logline::invalidRecord + entry.path, RunWarnings);
        } else {
            warn(result, logline::invalidRecord + entry.path, RunSourceListError);
            result.stopRequested = true;
            m_runState.stopRequested = true;
        }
    }
    return result;
}

} // namespace ombrix
