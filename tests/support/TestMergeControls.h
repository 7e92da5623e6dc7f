#pragma once

#include "merge/MergeControls.h"
#include "merge/MergeListControls.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ombrix {
class MergeSetList;
}

namespace ombrix::test {

// The merge page as plain fields, for the merge run and the page logic alike: the set list
// (entries without "OMX_"), its selection, the password the settings page holds. With setList
// set, the run's calls that the window passes on to the page logic go there too.
class TestMergeControls : public MergeControls, public MergeListControls
{
  public:
    // The destination's sets listed, and the positions whose entries lie in from..to selected
    // (the stored range SUM_FROM..SUM_TO of a continued merge).
    void listWithRange(const QStringList& setFolders, const QString& from, const QString& to);
    // The destination's sets listed, positions first..last selected.
    void listWithPositions(const QStringList& setFolders, int first, int last);

    // MergeControls
    void setMergeCaption(const QString& text) override { caption = text; }
    void setMergeEnabled(bool enabled) override { mergeEnabled = enabled; }
    void enableMergeList(bool on) override
    {
        listEnabled = on;
        sizeEnabled = on;
    }
    void setPagesEnabled(bool enabled, int) override { pagesEnabled = enabled; }
    QStringList mergeEntries() const override { return entries; }
    QList<int> selectedPositions() const override { return selected; }
    void setMergeEntry(int position, const QString& text) override { entries[position] = text; }
    void selectOnly(int position) override;
    void selectMergeRange() override;
    void listMergeSets() override;
    void clearRestoreListLoaded() override {}
    void xExit() override { ++exits; }
    bool passwordEnabled() const override { return !password.isEmpty(); }
    QString archivePassword() const override { return password; }

    // MergeListControls
    void setMergeEntries(const QStringList& list) override
    {
        entries = list;
        selected.clear();
    }
    void insertMergeEntry(int position, const QString& text) override { entries.insert(position, text); }
    void removeMergeEntry(int position) override;
    void clearMergeSelection() override { selected.clear(); }
    void setMergeEntrySelected(int position, bool on) override;
    void setSizeEnabled(bool enabled) override { sizeEnabled = enabled; }
    QString sizeCaption() const override { return size; }
    void setSizeCaption(const QString& text) override { size = text; }

    MergeSetList* setList = nullptr;
    QString caption;
    QString size = QStringLiteral("Velikost vybraných archivů");
    bool mergeEnabled = true;
    bool listEnabled = true;
    bool sizeEnabled = true;
    bool pagesEnabled = true;
    int exits = 0;
    QStringList entries;
    QList<int> selected;
    QString password;
};

} // namespace ombrix::test
