#pragma once

#include "archive/ArchiverRunner.h"

#include <QString>

namespace ombrix {

class ArchiveBrowserControls;
class Destination;
class Host;
class IniStore;
struct ArchiveState;
struct RunState;

// The archive browser behind the restore page "Obnova": lists the sets of the destination
// (optionally with their state colours), checks and prepares a chosen set (complete, opened by
// the password, its run log shown, exact state allowed or not, its catalog as the restore work
// list recoverylist.csv), tests a set for lost files, and keeps the restore-place options in
// config.ini (RECOVERY_DEST, RECOVERY_DIR).
class ArchiveBrowser
{
  public:
    // The restore-place options as config.ini keeps them.
    struct RestoreOptions
    {
        QString folder;      // RECOVERY_DIR
        int destination = 0; // RECOVERY_DEST: 0 the chosen folder, 1 exact state, 2 keep
    };

    ArchiveBrowser(Host& host, ArchiveBrowserControls& controls, IniStore& config, RunState& runState,
                   ArchiveState& archiveState, Destination& destination);
    ArchiveBrowser(const ArchiveBrowser&) = delete;
    ArchiveBrowser& operator=(const ArchiveBrowser&) = delete;

    // "Obnovit seznam" (Button8): fills the set list from the destination. False when the
    // destination could not be listed (the page then only offers "Obnovit seznam").
    bool listArchiveSets();
    // A click in the set list: checks the selected set and makes its catalog the work list.
    // True when the set is ready for a restore.
    bool chooseArchiveSet();
    // The test button (Button10): starts the test of the chosen set, or stops the running one.
    void testkondice();
    bool testing() const { return m_testing; }

    // CheckBox4, RadioButton3, RadioButton4, Edit8.
    void setRestoreToOriginal(bool ticked);
    void setExactState();
    void setKeepUnarchived();
    void setRestoreFolder(const QString& folder);

    // The exact state is not allowed for the current work list: the exact-state choice is
    // disabled and the keep choice selected.
    void blockExactState();
    bool exactStateBlocked() const { return m_exactStateBlocked; }

    // RECOVERY_DIR and RECOVERY_DEST as stored; an unknown RECOVERY_DEST counts as 0.
    static RestoreOptions loadOptions(const IniStore& config);

    // The file the test report is saved to and the work list, both in the program folder.
    static QString recoveryListPath();

  private:
    void runTest();
    bool destinationPresent();
    void endDamaged();
    QString tmpFolder() const;

    Host& m_host;
    ArchiveBrowserControls& m_controls;
    IniStore& m_config;
    RunState& m_runState;
    ArchiveState& m_archiveState;
    Destination& m_destination;
    ArchiverRunner m_runner;
    bool m_exactStateBlocked = false;
    bool m_testing = false;
};

} // namespace ombrix
