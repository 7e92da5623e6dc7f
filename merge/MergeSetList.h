#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

class Destination;
class Host;
class IniStore;
class MergeListControls;
struct RunState;

// The logic of the merge page "Sloučení archivů": lists the sets on the destination, records the
// range the user marks with two clicks (SUM_FROM, SUM_TO), selects it, and measures the sizes of
// the selected sets. The range lives in config.ini, so an unfinished merge (SUM_DONE 0) finds the
// same range again after a restart.
class MergeSetList
{
  public:
    MergeSetList(Host& host, MergeListControls& controls, IniStore& config, RunState& runState,
                 Destination& destination);
    MergeSetList(const MergeSetList&) = delete;
    MergeSetList& operator=(const MergeSetList&) = delete;

    // The outcome of a listing.
    enum class Listing
    {
        NoDestination, // the destination cannot be reached (on FTP and Skyvra: its connection is
                       // lost even after one more opening): the list stays empty
        Listed,        // no merge is pending (the stored range was emptied)
        RangeRestored, // an unfinished merge: its range is selected and the merge button enabled
        RangeLost,     // an unfinished merge whose target set (or stored range) is gone
        Busy           // a size measurement runs; nothing was done
    };

    // Fills the list with the sets on the destination as they are now (the destination's caches
    // are forgotten first). With SUM_DONE 0 the stored range is selected again when its target set
    // still exists; the first set may be gone (it is the last one a merge deletes), the range still
    // selects what is left of it by time stamp. A target that only seems gone because the
    // connection was lost is no lost range: that listing ends as NoDestination.
    Listing listMergeSets();
    // A click on the entry at position: the first click of a pair sets the first boundary, the
    // second one the other boundary (either order) and selects the range.
    void pickMergeBoundary(int position);
    // Selects every entry from SUM_FROM to SUM_TO (both inclusive); an empty SUM_TO selects nothing.
    void selectMergeRange();
    // The size button: measures the selected sets (or stops a running measurement). A folder
    // destination's sets are measured on disk, any other through Destination::treeSize.
    void measureSelectedSets();
    void enableMergeList(bool on);

    bool boundaryClickIsFirst() const { return m_boundaryClickIsFirst; }
    bool measuring() const { return m_measuring; }

    // The 19-character time stamp an entry begins with, and the set name it stands for.
    static QString timeStamp(const QString& entry);
    static QString fullName(const QString& entry);

  private:
    bool destinationReachable() const;

    Host& m_host;
    MergeListControls& m_controls;
    IniStore& m_config;
    RunState& m_runState;
    Destination& m_destination;
    bool m_boundaryClickIsFirst = true;
    bool m_measuring = false;
};

} // namespace ombrix
