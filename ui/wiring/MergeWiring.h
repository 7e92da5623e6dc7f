#pragma once

#include <QObject>

namespace ombrix::ui {

class BackupWiring;
class ProgramShell;

// Connects the merge engines to the merge page "Sloučení archivů", to the fixed archive count the
// completed backup asks for, and to the auto-start timer's continuation of an unfinished merge.
// The engines work on the configuration store of the backup wiring's current generation.
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
    // stored range again and continue the merge without a click.
    void continueUnfinishedMerge();

  private:
    ProgramShell& m_shell;
    BackupWiring& m_backup;
};

} // namespace ombrix::ui
