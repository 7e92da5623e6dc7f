#pragma once

#include "backup/ScanResult.h"

#include <QString>
#include <QStringList>

namespace ombrix {

class Host;
class RunLog;
class SourceFilter;
struct RunState;

// Walks the entries of sources.txt with their masks and collects the files to protect: first
// pass the subfolders of every folder entry (depth first, excluded folders skipped with their
// subtree), second pass each entry's own files, single-file entries, missing storages and
// invalid records (logged to the run log). Shows the scan's status line, pumps the host once
// per source line (and every few thousand files) and reports progress on the backup page.
//
// The caller starts the run log (RunLog::startRun) before the scan. An invalid entry with
// skipping off sets stopRequested both in the result and in the shared run state.
//
// What is taken from a folder: regular files (hidden ones too) and links to regular files,
// which are recorded under the link's own path and archived with the content they point to.
// Links to folders are neither entered nor recorded, so a link loop cannot run the scan forever
// and nothing outside the listed folders is backed up through a link. Pipes, sockets and
// devices are never taken. Each of these, and every link that dangles or loops, is logged once
// as "not archived: " + path + " (" + reason + ")" where the masks would have taken it (a link
// to a folder where a folder of that name would have been entered), a warning of the run. Files
// that vanish while the folder is read are left out quietly.
class SourceScanner
{
  public:
    struct Options
    {
        bool skipInvalidEntries = false; // SOURCE_ERROR_SKIP / CheckBox15
        qint64 utcOffsetAtStart = 0;     // seconds; the catalog-time rule
        bool daylightAtStart = false;    // one hour less for files found in folder scans
    };

    SourceScanner(Host& host, RunLog& runLog, RunState& runState, Options options);

    // sourceLines: the lines of sources.txt in file order.
    ScanResult scan(const QStringList& sourceLines);

    // The catalog time of a file's last write: shifted by the start's UTC offset and, for files
    // found in folder scans, by the daylight hour. A time the catalog format cannot hold is
    // pinned to its first or last moment (1980-01-01-00-00-00 / 2107-12-31-23-59-58), so such a
    // file is still backed up. Empty when the file's time cannot be read (it is gone).
    QString catalogTimeOf(const QString& path, bool folderScan) const;

  private:
    // Folder entry, first pass: files of every subfolder not excluded, at any depth.
    void scanSubfolders(const QString& folder, const SourceFilter& filter, ScanResult& result);
    // Folder entry, second pass: the folder's own files.
    void scanOwnFiles(const QString& folder, const SourceFilter& filter, ScanResult& result);
    // One entry met in a folder walk; relativePath is below folder.
    void takeFile(const QString& folder, const QByteArray& name, const QByteArray& relativePath, bool isLink,
                  const SourceFilter& filter, ScanResult& result);
    // An entry that is neither a regular file nor a folder (not a link): logged when the masks
    // would take a file of its name.
    void reportSpecial(const QString& folder, const QByteArray& name, const QByteArray& relativePath,
                       const SourceFilter& filter, ScanResult& result);
    // Logs path once per scan as not archived, with the reason.
    void notArchived(ScanResult& result, const QString& path, const QString& reason);
    void countAndPump();
    void warn(ScanResult& result, const QString& line, int status);

    Host& m_host;
    RunLog& m_runLog;
    RunState& m_runState;
    Options m_options;
    int m_filesSincePump = 0;
    QSet<QString> m_reported;
};

} // namespace ombrix
