#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ombrix {

// Everything the merge run does to or reads from the merge page and the window.
class MergeControls
{
  public:
    virtual ~MergeControls() = default;

    // The merge button BitBtn4: "SLOUČIT", "STOP" or "pokračovat".
    virtual void setMergeCaption(const QString& caption) = 0;
    virtual void setMergeEnabled(bool enabled) = 0;
    // The set list and the size button together.
    virtual void enableMergeList(bool on) = 0;
    virtual void setPagesEnabled(bool enabled, int keepIndex) = 0;

    // The set list ListBox4: entries are set names without "OMX_" (the first 19 characters are
    // the set's time stamp), and the positions selected, ascending.
    virtual QStringList mergeEntries() const = 0;
    virtual QList<int> selectedPositions() const = 0;
    virtual void setMergeEntry(int position, const QString& text) = 0;
    virtual void selectOnly(int position) = 0;
    // Selects the stored range (SUM_FROM to SUM_TO) again.
    virtual void selectMergeRange() = 0;
    // Lists the sets again.
    virtual void listMergeSets() = 0;
    // The restore page lists its sets again the next time it is shown.
    virtual void clearRestoreListLoaded() = 0;
    // The end of an unattended run (does nothing in an interactive one).
    virtual void xExit() = 0;

    virtual bool passwordEnabled() const = 0;
    virtual QString archivePassword() const = 0;
};

} // namespace ombrix
