#pragma once

#include "merge/MergeControls.h"
#include "merge/MergeListControls.h"

#include <functional>

class QListWidget;
class QPushButton;

namespace ombrix {
class MergeSetList;
}

namespace ombrix::ui {

class MainWindow;
class WindowBackupControls;

// The merge run's and the merge page logic's view of the main window: the set list ListBox4, the
// size button Button15 and the merge button BitBtn4 of the merge page, the page lock and the end
// of an unattended run through the backup controls.
class WindowMergeControls : public MergeControls, public MergeListControls
{
  public:
    WindowMergeControls(MainWindow* window, WindowBackupControls& backupControls);

    // The page logic that selects the stored range and lists the sets again.
    void setSetList(MergeSetList* setList) { m_setList = setList; }
    // While set, xExit does nothing: a merge inside a completed backup leaves the end of the run
    // to the backup, which still has steps of its own to take.
    void setExitDeferred(bool deferred) { m_exitDeferred = deferred; }
    // The exit code xExit ends an unattended run with: how the merge went (app::ExitCode).
    void setExitCode(std::function<int()> exitCode) { m_exitCode = std::move(exitCode); }

    // Shared by both interfaces
    QStringList mergeEntries() const override;
    QList<int> selectedPositions() const override;
    void enableMergeList(bool on) override;
    void setMergeEnabled(bool enabled) override;

    // MergeControls
    void setMergeCaption(const QString& caption) override;
    void setPagesEnabled(bool enabled, int keepIndex) override;
    void setMergeEntry(int position, const QString& text) override;
    void selectOnly(int position) override;
    void selectMergeRange() override;
    void listMergeSets() override;
    void clearRestoreListLoaded() override;
    void xExit() override;
    bool passwordEnabled() const override;
    QString archivePassword() const override;

    // MergeListControls
    void setMergeEntries(const QStringList& entries) override;
    void insertMergeEntry(int position, const QString& text) override;
    void removeMergeEntry(int position) override;
    void clearMergeSelection() override;
    void setMergeEntrySelected(int position, bool selected) override;
    void setSizeEnabled(bool enabled) override;
    QString sizeCaption() const override;
    void setSizeCaption(const QString& caption) override;

  private:
    QListWidget* list() const;
    QPushButton* sizeButton() const;
    QPushButton* mergeButton() const;

    MainWindow* m_window;
    WindowBackupControls& m_backupControls;
    MergeSetList* m_setList = nullptr;
    bool m_exitDeferred = false;
    std::function<int()> m_exitCode;
};

} // namespace ombrix::ui
