#pragma once

#include "archive/ArchiverRunner.h"
#include "core/util/RunSummary.h"

#include <functional>
#include <optional>
#include <QString>

namespace ombrix {

class Destination;
class Host;
class IniStore;
class RestoreControls;
class RunLog;
struct ArchiveState;
struct RunState;

// The restore run behind the restore button: extracts every line of recoverylist.csv from the
// set the line names, to the original place or below a chosen folder, and can be stopped and
// continued. A file that does not come back is logged ("not restored: " + path + the reason) and
// counted, and the run ends with a warning that says how many.
//
// The persistent progress lives in config.ini (RECOVERY_ARCHIVNAME, RECOVERY_ARCHIV_INDEX,
// RECOVERY_DONE). The restore is recorded as unfinished before anything on disk changes; the
// index of a line is written after the line was processed and a continued run starts at that line
// again, so an interruption at any moment loses nothing.
//
// The exact state of the backed-up folders is reached the safe way: every file of the list is
// extracted into place first, and only then is whatever the set does not hold removed from the
// folders of the set's source list. A continued restore finishes that step too. Nothing is
// removed when a file of this run did not come back or a listed file is not in place: a set that
// cannot be extracted never costs the files that are there now.
class RestoreRun
{
  public:
    enum class Mode
    {
        novaobnova, // the next run is a new restore, from line 0
        pokracovat  // the next run continues at RECOVERY_ARCHIV_INDEX
    };

    RestoreRun(Host& host, RestoreControls& controls, IniStore& config, RunLog& runLog, RunState& runState,
               ArchiveState& archiveState, Destination& destination);
    RestoreRun(const RestoreRun&) = delete;
    RestoreRun& operator=(const RestoreRun&) = delete;

    // For FTP and Skyvra destinations: one attempt to connect again; true when it succeeded.
    void setReconnect(std::function<bool()> reconnect) { m_reconnect = std::move(reconnect); }
    // Scales the 5 s pause after completion; 100 is the normal length. Tests shorten it.
    void setPausePercent(int percent) { m_pausePercent = percent; }

    // The restore button (BitBtn2): starts or continues a run, or stops the running one.
    void runRestore();
    // "Reset" (Button12) on the settings page: the next restore starts from the beginning.
    void resetRestore();
    // The start-up check: offers a pending restore for continuation.
    void resumeRestoreAtStart();

    Mode recoveryMode() const { return m_mode; }
    bool running() const { return m_running; }
    bool showsStop() const { return m_showsStop; }
    // Lines skipped because their path would leave the restore target.
    int refusedLines() const { return m_refusedLines; }
    // Files of the last run that did not come back: failed extractions and refused lines.
    int notRestoredFiles() const { return m_notRestored; }

  private:
    void run();
    void stop();
    // Removes from the backed-up folders what the list does not hold; false when it could not
    // be done (the set's source list cannot be read).
    bool makeExactState(const QString& set, const QStringList& lines);
    bool destinationReachable(const QString& set);
    // The run ends unfinished; reason: what the status line said (may be empty).
    void endStopped(const QString& reason);
    // Shows the run's summary (and logs it unless every file came back).
    void endSummary(bool completed, const QString& reason = QString());
    void showStopped();
    QString programFile(const QString& name) const;

    Host& m_host;
    RestoreControls& m_controls;
    IniStore& m_config;
    RunLog& m_runLog;
    RunState& m_runState;
    ArchiveState& m_archiveState;
    Destination& m_destination;
    ArchiverRunner m_runner;
    std::function<bool()> m_reconnect;
    int m_pausePercent = 100;

    Mode m_mode = Mode::novaobnova;
    bool m_running = false;
    bool m_showsStop = false;
    int m_refusedLines = 0;
    int m_notRestored = 0;
    std::optional<RunSummary> m_summary;
};

} // namespace ombrix
