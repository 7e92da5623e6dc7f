#pragma once

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

class BackupWiring;
class ProgramShell;
class TreeWindow;
class WindowRestoreControls;

// Connects the restore engines to the restore page "Obnova", to the selective restore tree and to
// the restore reset of the settings page (CheckBox5/Button12). The engines work on the
// configuration store of the backup wiring's current generation and on the destination folder
// it holds; they are made again for every new store, never while a restore or a test runs.
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

  private:
    // Makes the engines for the current store and destination folder; false when there is no
    // store yet. Keeps the engines of a running restore or test.
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
    IniStore* m_config = nullptr;
    std::unique_ptr<FolderDestination> m_destination;
    std::unique_ptr<RestoreRun> m_run;
    std::unique_ptr<ArchiveBrowser> m_browser;
    TreeWindow* m_tree = nullptr;
    bool m_treeEnabled = true;
    bool m_loading = false;
    int m_pausePercent = 100;
};

} // namespace ombrix::ui
