#pragma once

#include <functional>

namespace ombrix {

class Destination;
class IniStore;
class MergeControls;
class MergeRun;
class MergeSetList;

// Keeps a fixed number of sets on the destination (ARCHIVE_COUNT): after a completed backup the
// surplus sets are merged away with one merge run, into the last set of a range of consecutive
// sets. The oldest set (the full backup starting the chain) is left alone unless the range is
// allowed to begin with it ("slučovat první s druhým"), or only one set is to be kept.
class ArchiveCountKeeper
{
  public:
    // The range to merge, as 0-based positions in the chronological list (oldest first).
    struct Range
    {
        bool merge = false; // false: nothing to merge
        int first = 0;
        int last = 0; // the target
    };

    // showPage switches the window to a page by index (5 the merge page, 3 the backup page).
    ArchiveCountKeeper(IniStore& config, Destination& destination, MergeSetList& setList,
                       MergeControls& controls, MergeRun& merge, std::function<void(int page)> showPage);

    // The range that leaves keep sets of count.
    static Range rangeFor(int count, int keep, bool mergeFirstWithSecond);

    // Counts the sets and, when there are more than keep, merges the surplus. SUM_FROM, SUM_TO and
    // SUM_DONE = 0 are written before the merge starts, so an interruption is continued like any
    // unfinished merge. Nothing happens while an earlier merge is unfinished: its stored range must
    // not be replaced before its catalogs are corrected. True when a merge was started.
    bool fixuj_pocet_archivu(int pocet_archivu_max, bool mergeFirstWithSecond);

  private:
    IniStore& m_config;
    Destination& m_destination;
    MergeSetList& m_setList;
    MergeControls& m_controls;
    MergeRun& m_merge;
    std::function<void(int)> m_showPage;
};

} // namespace ombrix
