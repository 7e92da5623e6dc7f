#pragma once

#include "archive/ArchiverRunner.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

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
// A file that cannot be moved into the target keeps its catalog lines naming its old set, and a
// set from which a move failed is not deleted: nothing the catalogs refer to is ever lost, and a
// later merge of the range moves what is left. Sets are moved within a local destination folder.
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
    // Files that could not be moved in the last run (their old sets were kept).
    const QStringList& unmovedFiles() const { return m_unmoved; }

  private:
    void run();
    bool checkSets(const QStringList& entries, int first, int target);
    void refuse();
    // Moves the archive of one line into the target; false when it stays in its old set.
    bool moveIntoTarget(const QString& line, const QString& target);
    bool loadCatalog(const QString& set, QStringList& lines);
    bool storeCatalog(const QString& set, const QStringList& lines);
    void stopped();
    // A catalog could not be read or stored back: the merge stops as after STOP, with its reason
    // in the status line and the log, and stays unfinished.
    void halted(const QString& set);

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
    QSet<QString> m_mergedSetNames;
    // Sets that still hold an archive their catalog lines refer to, and those lines' keys.
    QSet<QString> m_keptSets;
    QSet<QString> m_unmovedKeys;
    QStringList m_unmoved;
};

} // namespace ombrix
