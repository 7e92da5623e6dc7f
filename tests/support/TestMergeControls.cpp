#include "support/TestMergeControls.h"

#include "core/catalog/SetName.h"
#include "merge/MergeSetList.h"

#include <algorithm>

namespace ombrix::test {

void TestMergeControls::listWithRange(const QStringList& setFolders, const QString& from, const QString& to)
{
    entries.clear();
    selected.clear();
    for (const QString& set : setFolders) {
        const QString entry = SetName::withoutPrefix(set);
        if (!from.isEmpty() && !to.isEmpty() && entry >= from && entry <= to)
            selected << int(entries.size());
        entries << entry;
    }
}

void TestMergeControls::listWithPositions(const QStringList& setFolders, int first, int last)
{
    listWithRange(setFolders, {}, {});
    for (int q = first; q <= last; ++q)
        selected << q;
}

void TestMergeControls::selectOnly(int position)
{
    if (setList)
        selected = {position};
}

void TestMergeControls::selectMergeRange()
{
    if (setList)
        setList->selectMergeRange();
}

void TestMergeControls::listMergeSets()
{
    if (setList)
        setList->listMergeSets();
}

void TestMergeControls::removeMergeEntry(int position)
{
    entries.removeAt(position);
    selected.removeAll(position);
    for (int& q : selected) {
        if (q > position)
            --q;
    }
}

void TestMergeControls::setMergeEntrySelected(int position, bool on)
{
    selected.removeAll(position);
    if (on)
        selected << position;
    std::sort(selected.begin(), selected.end());
}

} // namespace ombrix::test
