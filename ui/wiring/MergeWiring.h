#pragma once

#include <memory>
#include <QObject>

namespace ombrix {
class IniStore;
class MergeRun;
class MergeSetList;
} // namespace ombrix

namespace ombrix::ui {

class BackupEngines;
class BackupWiring;
class ProgramShell;
class WindowMergeControls;

// Connects the merge engines to the merge page "Sloučení archivů", to the fixed archive count the
// completed backup asks for, and to the auto-start timer's continuation of an unfinished merge.
// The engines work on the configuration store of the backup wiring's current generation and are
// made again when it changes (never while a merge, a size measurement or a range pick runs: those
// let events run, and a readiness pass among them must not free what they work on). Each
// generation of the merge engines holds the backup generation it was made on, so its store lives
// as long as they do; a readiness pass's merge start-up step that came during an operation is
// taken when the operation has ended.
class MergeWiring : public QObject
{
    Q_OBJECT

  public:
    MergeWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent = nullptr);
    ~MergeWiring() override;

    // Called by the start-up readiness check: an unfinished merge locks the other pages.
    void resumeMergeAtStart();
    // Called by a completed backup when ARCHIVE_COUNT is above 0: merges the surplus sets away.
    void fixuj_pocet_archivu(int pocet_archivu_max);
    // The auto-start timer found an unfinished merge (SUM_DONE 0): list the sets, select the
    // stored range again and continue the merge without a click, then end the run. When there is
    // nothing to continue the run never waits for a click that nobody will make: without any
    // stored range no merge is pending and the scheduled backup starts; an unreachable
    // destination or a lost target set ends the run.
    void continueUnfinishedMerge();

    // The page's actions.
    void BitBtn4Click();
    void Button15Click();
    void ListBox4Click(int position);

    // The current engines (made on first use); for tests.
    MergeSetList* setList();
    MergeRun* mergeRun();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Engines;
    // Makes the engines for the current configuration store and destination folder when they
    // changed; false before the first readiness pass.
    bool ensureEngines();
    void applyColoring(bool on);
    void runMergeGuarded();
    bool busy() const;
    // The exit code of an unattended run that ends with the merge (app::ExitCode).
    int unattendedExitCode() const;
    // After an operation: the merge start-up step a readiness pass asked for meanwhile.
    void operationEnded();

    ProgramShell& m_shell;
    BackupWiring& m_backup;
    std::unique_ptr<WindowMergeControls> m_controls;
    std::unique_ptr<Engines> m_engines;
    int m_mergeDepth = 0;
    int m_pickDepth = 0;
    int m_measureDepth = 0;
    bool m_resumePending = false;
};

} // namespace ombrix::ui
