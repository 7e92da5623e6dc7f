#pragma once

#include "merge/MergeControls.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ombrix::test {

// The merge page of a program start that continues a merge: the list holds the destination's
// sets, and the selection is the stored range (SUM_FROM to SUM_TO) among the sets still there.
class WorkerMergeControls : public MergeControls
{
  public:
    WorkerMergeControls(const QStringList& setFolders, const QString& from, const QString& to);

    void setMergeCaption(const QString&) override {}
    void setMergeEnabled(bool) override {}
    void enableMergeList(bool) override {}
    void setPagesEnabled(bool, int) override {}
    QStringList mergeEntries() const override { return m_entries; }
    QList<int> selectedPositions() const override { return m_selected; }
    void setMergeEntry(int position, const QString& text) override { m_entries[position] = text; }
    void selectOnly(int) override {}
    void selectMergeRange() override {}
    void listMergeSets() override {}
    void clearRestoreListLoaded() override {}
    void xExit() override {}
    bool passwordEnabled() const override { return false; }
    QString archivePassword() const override { return {}; }

  private:
    QStringList m_entries;
    QList<int> m_selected;
};

} // namespace ombrix::test
