#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ombrix {

// The merge page's set list (ListBox4), its size button (Button15) and the merge button as the
// page logic sees them. Entries are set names without "OMX_"; the first 19 characters of an entry
// are always the set's time stamp, whatever suffix follows (a size, a failure mark).
class MergeListControls
{
  public:
    virtual ~MergeListControls() = default;

    virtual QStringList mergeEntries() const = 0;
    // Replaces the whole list; entries come in list order.
    virtual void setMergeEntries(const QStringList& entries) = 0;
    virtual void insertMergeEntry(int position, const QString& text) = 0;
    virtual void removeMergeEntry(int position) = 0;

    // Selected positions, ascending.
    virtual QList<int> selectedPositions() const = 0;
    virtual void clearMergeSelection() = 0;
    virtual void setMergeEntrySelected(int position, bool selected) = 0;

    // The list and the size button together.
    virtual void enableMergeList(bool on) = 0;
    virtual void setSizeEnabled(bool enabled) = 0;
    virtual QString sizeCaption() const = 0;
    virtual void setSizeCaption(const QString& caption) = 0;

    // The merge button BitBtn4.
    virtual void setMergeEnabled(bool enabled) = 0;
};

} // namespace ombrix
