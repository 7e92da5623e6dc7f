#pragma once

#include "archive/ArchiverRunner.h"
#include "core/util/RunSummary.h"

#include <functional>
#include <optional>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

class ArchiveSetChecks;
class Destination;
class Host;
class IniStore;
class MergeControls;
class RunLog;
struct ArchiveState;
struct RunState;

// The merge run behind the merge button: joins the selected range of sets into its last set (the
// target), corrects the catalogs of the later sets and deletes the emptied sets. Every step is
// safe to repeat, so a stopped or interrupted merge is simply run again (SUM_DONE stays 0 until
// it has finished).
//
// It works the same on every destination: archives are moved by Destination::renameEntry (a
// rename in the destination folder, a server-side rename on FTP and Skyvra), the target's
// folders are made on the destination, catalogs are read and stored through it, and emptied sets
// are removed by Destination::removeTree.
//
// A file that cannot be moved into the target keeps its catalog lines naming its old set, and a
// set from which a move failed is not deleted: nothing the catalogs refer to is ever lost, and a
// later merge of the range moves what is left. A catalog that cannot be read or stored back halts
// the merge unfinished before any set is deleted.
//
// On FTP and Skyvra a catalog is never replaced in place: the stored one is renamed aside
// ("archivlist.csv.7z.previous") until the new one is on the server whole, so an upload that is
// cut off cannot leave a set without its catalog; the next run puts a copy left aside back.
// A destination that stops answering is opened once more; when it still does not answer the
// merge ends at once, unfinished and resumable, instead of asking it again for every file.
class MergeRun
{
  public:
    MergeRun(Host& host, MergeControls& controls, IniStore& config, RunLog& runLog, RunState& runState,
             ArchiveState& archiveState, Destination& destination);
    MergeRun(const MergeRun&) = delete;
    MergeRun& operator=(const MergeRun&) = delete;

    // Scales the 3 s pause after completion; 100 is the normal length.
    void setPausePercent(int percent) { m_pausePercent = percent; }

    // The merge button (BitBtn4): runs or continues a merge, or stops the running one.
    void runMerge();
    // The start-up check: an unfinished merge locks the other pages and offers continuing.
    void resumeMergeAtStart();

    bool showsStop() const { return m_showsStop; }
    bool refused() const { return m_refused; }
    // The last run ended because the destination's connection was lost (and could not be opened
    // again); a merge that had begun stays unfinished.
    bool connectionLost() const { return m_connectionLost; }
    // Files that could not be moved in the last run (their old sets were kept).
    const QStringList& unmovedFiles() const { return m_unmoved; }

    // The name a stored catalog has while a new one is uploaded over it (remote destinations).
    static QString asideCatalog(const QString& set);

  private:
    // Where a file's archive is moved from and to, and how that went.
    enum class Move
    {
        InTarget, // in the target now (moved, moved earlier, or nothing left to move)
        Kept,     // stays in its set
        Lost      // the connection was lost before it could be decided
    };

    void run();
    bool checkSets(const QStringList& entries, int first, int target, ArchiveSetChecks& checks);
    void refuse();
    // bytes: the size of the file's archive once it is in the target (0 when not known).
    Move moveIntoTarget(const QString& line, const QString& target, qint64& bytes);
    bool loadCatalog(const QString& set, QStringList& lines);
    bool storeCatalog(const QString& set, const QStringList& lines);
    // Remote destinations: the stored catalog of set renamed aside before a new one is uploaded;
    // true when nothing needs keeping or it is aside now.
    bool setCatalogAside(const QString& set);
    // The copy aside takes the place of a new catalog that did not arrive whole.
    void putCatalogBack(const QString& set);
    // A copy left aside by an upload that was cut off (in an earlier run) goes back in place in
    // the sets from position first on, unless the catalog in place opens (then the copy is no
    // longer needed). False when the connection was lost meanwhile.
    bool recoverAsideCatalogs(const QStringList& entries, int first, ArchiveSetChecks& checks);
    bool remote() const;
    // After a "no" or a failure from a remote destination: whether its connection is gone. A
    // connection that does not answer is opened once more; *reconnected says whether that
    // succeeded (the question may then be asked again).
    bool connectionGone(bool* reconnected = nullptr);
    // The answer of question, asked once more after a reconnect when the first "no" came from a
    // connection that was gone. A "no" with the connection gone for good sets m_connectionLost.
    bool answers(const std::function<bool()>& question);
    void stopped();
    // A catalog could not be read or stored back: the merge stops as after STOP, with its reason
    // in the status line and the log, and stays unfinished.
    void halted(const QString& set);
    // The connection was lost for good: the merge ends as after STOP (unfinished when it had
    // begun changing sets, otherwise back where it was before the click).
    void endConnectionLost();
    // halted(set), or endConnectionLost() when the failure came from a lost connection.
    void haltedOrLost(const QString& set);
    // Shows the run's summary (and logs it unless every file was moved); nothing once shown.
    void endSummary(bool completed, const QString& reason = QString());

    Host& m_host;
    MergeControls& m_controls;
    IniStore& m_config;
    RunLog& m_runLog;
    RunState& m_runState;
    ArchiveState& m_archiveState;
    Destination& m_destination;
    ArchiverRunner m_runner;
    int m_pausePercent = 100;

    bool m_running = false;
    bool m_showsStop = false;
    bool m_refused = false;
    bool m_connectionLost = false;
    QSet<QString> m_mergedSetNames;
    // Sets that still hold an archive their catalog lines refer to, and those lines' keys.
    QSet<QString> m_keptSets;
    QSet<QString> m_unmovedKeys;
    QStringList m_unmoved;
    std::optional<RunSummary> m_summary;
};

} // namespace ombrix
