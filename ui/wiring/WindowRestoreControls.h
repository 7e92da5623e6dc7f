#pragma once

#include "restore/ArchiveBrowserControls.h"
#include "restore/RestoreControls.h"

#include <functional>
#include <QString>

namespace ombrix::ui {

class LogViewer;
class MainWindow;
class RestorePage;
class WindowBackupControls;

// The restore run's and the archive browser's view of the main window: the restore page's
// controls (ListBox2, Button8, Button10, Label21, CheckBox4, RadioButton3/4, Edit8, Button9,
// BitBtn3, Button18, BitBtn2) and the password and reset controls of the settings page. What
// needs the engines (listing the sets again, the tree, the file-system warning, the blocked exact
// state) comes in through hooks the restore wiring sets.
class WindowRestoreControls : public RestoreControls, public ArchiveBrowserControls
{
  public:
    struct Hooks
    {
        std::function<void()> refreshSetList;
        std::function<void()> markTreeForRebuild;
        std::function<void()> refreshFileSystemWarning;
        std::function<bool()> exactStateBlocked;
    };

    WindowRestoreControls(MainWindow* window, WindowBackupControls& backupControls, LogViewer* logViewer);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // The set whose catalog is the work list now (full name; empty: none). The restore takes
    // this set, not whatever entry the list's selection has moved to since.
    void setPreparedSet(const QString& fullName) { m_preparedSet = fullName; }

    // Both interfaces
    void setRestoreEnabled(bool enabled) override;
    void enableRestoreControls(bool on) override;
    void setPasswordControlsEnabled(bool enabled) override;
    bool restoreToOriginal() const override;
    bool passwordEnabled() const override;
    QString archivePassword() const override;

    // RestoreControls
    void setRestoreCaption(const QString& caption) override;
    void setPagesEnabled(bool enabled, int keepIndex) override;
    QString restoreFolder() const override;
    bool exactState() const override;
    QString chosenSet() const override;
    void selectSet(const QString& fullName) override;
    void refreshSetList() override;
    void clearResetControls() override;

    // ArchiveBrowserControls
    void setSetList(const QStringList& entries) override;
    QString selectedEntry() const override;
    void setSetListEnabled(bool enabled) override;
    void setRefreshEnabled(bool enabled) override;
    void setSetButtonsEnabled(bool enabled) override;
    bool coloredListing() const override;
    void setTestCaption(const QString& caption) override;
    void setTestEnabled(bool enabled) override;
    void setTestResult(const QString& text) override;
    void setTestProgress(int maximum, int position) override;
    bool exactStateSelected() const override;
    void setFolderEnabled(bool enabled) override;
    void setExactStateEnabled(bool enabled) override;
    void setKeepEnabled(bool enabled) override;
    void selectKeepUnarchived() override;
    void refreshFileSystemWarning() override;
    void setLogText(const QString& text) override;
    QString logText() const override;
    void showLogModal() override;
    void markTreeForRebuild() override;

  private:
    RestorePage* page() const;

    MainWindow* m_window;
    WindowBackupControls& m_backupControls;
    LogViewer* m_logViewer;
    Hooks m_hooks;
    QString m_preparedSet;
};

} // namespace ombrix::ui
