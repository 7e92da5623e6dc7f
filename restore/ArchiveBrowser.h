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
//
// On FTP and Skyvra everything goes through the destination (side archives and catalogs are
// downloaded into the program folder first). A failed step there is judged only after asking
// whether the connection still answers: a connection that does not is opened once more and the
// step tried again; when it still does not answer, the operation ends with "Obnova přerušena,
// FTP spojení ??" instead of calling the set incomplete, damaged or its files lost.
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
    // destination could not be listed (the page then only offers "Obnovit seznam"), or when the
    // download of a set's run log for its colour failed: the list then ends at that set and the
    // status line shows the server's error.
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
    // How choosing a set went.
    enum class Choice
    {
        Ready,         // the set is prepared for a restore
        Failed,        // the set cannot be used (its reason is on the status line)
        Reconnected,   // a step failed on a connection that had to be opened again
        ConnectionLost // a step failed and the connection could not be opened again
    };
    // How a remote destination stands after a failed step (a folder destination always answers).
    enum class Connection
    {
        Answers,     // it answers: the failure stands
        Reconnected, // it was opened again: the step is worth trying once more
        Gone         // it does not answer even after one more opening
    };

    void runTest();
    bool destinationPresent();
    Choice chooseOnce(const QString& name);
    // Failed when the destination still answers (the step failed for a reason of its own),
    // otherwise how its connection stands.
    Choice failedStep();
    Choice endDamaged();
    Connection connectionAfterNo();
    // The connection to the destination is lost: the choice ends, the set list can be used again.
    void endConnectionLost();
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
