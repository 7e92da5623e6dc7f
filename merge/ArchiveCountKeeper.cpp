#include "merge/ArchiveCountKeeper.h"

#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "merge/MergeControls.h"
#include "merge/MergeRun.h"
#include "merge/MergeSetList.h"
#include "storage/Destination.h"

namespace ombrix {

namespace {

constexpr int mergePage = 5;
constexpr int backupPage = 3;

} // namespace

ArchiveCountKeeper::ArchiveCountKeeper(IniStore& config, Destination& destination, MergeSetList& setList,
                                       MergeControls& controls, MergeRun& merge,
                                       std::function<void(int page)> showPage)
    : m_config(config), m_destination(destination), m_setList(setList), m_controls(controls), m_merge(merge),
      m_showPage(std::move(showPage))
{
}

ArchiveCountKeeper::Range ArchiveCountKeeper::rangeFor(int count, int keep, bool mergeFirstWithSecond)
{
    Range range;
    if (keep < 1)
        return range;
    const int surplus = count - keep;
    if (surplus < 1)
        return range;
    // surplus + 1 < count exactly when at least two sets are kept: then the oldest may stay.
    const int offset = (surplus + 1 < count && !mergeFirstWithSecond) ? 1 : 0;
    range.merge = true;
    range.first = offset;
    range.last = surplus + offset;
    return range;
}

bool ArchiveCountKeeper::fixuj_pocet_archivu(int pocet_archivu_max, bool mergeFirstWithSecond)
{
    if (m_destination.kind() != DestinationKind::Skyvra && !m_destination.folderExists(QString()))
        return false;
    if (m_config.readInt(ConfigKeys::SUM_DONE, 1) == 0)
        return false;
    int count = 0;
    for (const QString& set : m_destination.listSetFolders()) {
        if (set.startsWith(SetName::prefix))
            ++count;
    }
    const Range range = rangeFor(count, pocet_archivu_max, mergeFirstWithSecond);
    if (!range.merge)
        return false;

    if (m_showPage)
        m_showPage(mergePage);
    m_setList.listMergeSets();
    const QStringList entries = m_controls.mergeEntries();
    if (range.last >= entries.size())
        return false; // the sets changed between counting and listing
    m_config.writeString(ConfigKeys::SUM_FROM, MergeSetList::timeStamp(entries.at(range.first)));
    m_config.writeString(ConfigKeys::SUM_TO, MergeSetList::timeStamp(entries.at(range.last)));
    m_config.writeInt(ConfigKeys::SUM_DONE, 0);
    m_setList.selectMergeRange();
    m_setList.enableMergeList(false);
    m_controls.setMergeEnabled(true);
    m_merge.runMerge();

    // A finished merge (not refused, not stopped) goes back to the backup page.
    if (!m_merge.refused() && m_config.readInt(ConfigKeys::SUM_DONE, 0) == 1 && m_showPage)
        m_showPage(backupPage);
    return true;
}

} // namespace ombrix
