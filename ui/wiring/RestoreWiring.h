#pragma once

#include "storage/local/FileSystemWarning.h"

#include <memory>
#include <QObject>
#include <QString>

namespace ombrix {
class ArchiveBrowser;
class FolderDestination;
class IniStore;
class RestoreRun;
} // namespace ombrix

namespace ombrix::ui {

class BackupEngines;
class BackupWiring;
class ProgramShell;
class TreeWindow;
class WindowRestoreControls;

// Connects the restore engines to the restore page "Obnova", to the selective restore tree and to
// the restore reset of the settings page (CheckBox5/Button12). The engines work on the
// configuration store of the backup wiring's current generation and on the destination folder
// it holds; they are made again for every new store, never while an operation of the page runs
// (a restore, a test, a set choice, a listing): such an operation lets events run, and a
// readiness pass among them must not free what it works on. It keeps its generation alive, and
// the pass's restore start-up step is taken when the operation has ended.
//
// It also decides the file-system warnings of the backup and the restore page (check_filesystems),
// which are one decision: both are refreshed whenever either page is shown.
class RestoreWiring : public QObject
{
    Q_OBJECT

  public:
    RestoreWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent = nullptr);
    ~RestoreWiring() override;

    // Called by the start-up readiness check: loads the restore options into the page and offers
    // a pending restore for continuation.
    void resumeRestoreAtStart();

    // The page's actions.
    void showRestorePage();        // the page "Obnova" is shown
    void listArchiveSets();        // Button8 "Obnovit seznam"
    void chooseArchiveSet();       // a click in ListBox2
    void testkondice();            // Button10 "test" / "stop"
    void browseRestoreFolder();    // Button9 "Procházet"
    void openSelectiveTree();      // BitBtn3
    void showSetLog();             // Button18 "Zobrazit LOG.txt"
    void runRestore();             // BitBtn2
    void resetRestore();           // Button12 on the settings page
    void setColoredLists(bool on); // CheckBox10 on the settings page

    // Nothing before the first readiness pass.
    RestoreRun* run() const { return m_run.get(); }
    ArchiveBrowser* browser() const { return m_browser.get(); }
    WindowRestoreControls& controls() { return *m_controls; }
    // Test seam: the selective tree window is not opened when this is false.
    void setTreeEnabled(bool enabled) { m_treeEnabled = enabled; }
    // Test seam: scales the 5 s pause after a completed restore (100 is the normal length).
    void setCompletionPausePercent(int percent);
    // Test seam: how the file-system warnings find the file system of a path (default: the
    // volume's own).
    void setFileSystemQuery(storage::FileSystemQuery query) { m_fileSystemQuery = std::move(query); }

  private:
    // Marks one page operation that lets events run while it uses the engines, for as long as it
    // lives. When the last one ends, a restore start-up step a readiness pass asked for meanwhile
    // is taken.
    class OperationScope;

    // Makes the engines for the current store and destination folder; false when there is no
    // store yet. Keeps the engines of a running operation.
    bool ensureEngines();
    bool busy() const;
    // A restore was stopped or found unfinished at start: only continuing or a reset go on.
    bool restorePending() const;
    void loadOptions();
    void applyPlaceEnablement();
    void refreshFileSystemWarning();
    void originalPlaceToggled(bool ticked);
    void markTreeForRebuild();
    QString destinationFolder() const;

    ProgramShell& m_shell;
    BackupWiring& m_backup;
    std::unique_ptr<WindowRestoreControls> m_controls;
    // The generation whose store m_config is; held so the store lives as long as the engines.
    std::shared_ptr<BackupEngines> m_generation;
    IniStore* m_config = nullptr;
    std::unique_ptr<RestoreRun> m_run;
    std::unique_ptr<ArchiveBrowser> m_browser;
    TreeWindow* m_tree = nullptr;
    bool m_treeEnabled = true;
    bool m_loading = false;
    int m_pausePercent = 100;
    int m_operationDepth = 0;
    bool m_resumePending = false;
    storage::FileSystemQuery m_fileSystemQuery;
};

} // namespace ombrix::ui
