#pragma once

#include "core/archiver/ArchiverCommand.h"
#include "core/host/RunState.h"

#include <functional>
#include <QString>
#include <QStringList>

namespace ombrix {

class Host;

// Runs the archiver (7za) for one command line and waits for it, pumping every 50 ms; STOP and
// skip kill it through RunState::lastProcessId. Archiving, extraction and the checks all go
// through one runner so a test can put a different archiver behind it (OMBRIX_7ZA) when it
// needs a fault the real one cannot be made to show.
class ArchiverRunner
{
  public:
    using Pump = std::function<void()>;
    using StartFailed = std::function<void(const QString& systemText)>;

    ArchiverRunner(RunState& state, Pump pump, StartFailed startFailed = {});
    // Pumps through the host and shows a start failure in an error message box.
    ArchiverRunner(RunState& state, Host& host);
    virtual ~ArchiverRunner() = default;

    // Runs one line; true when the archiver could be started (its outcome is judged from files).
    // The output file named by the command is created in the program folder.
    virtual bool run(const ArchiverCommand& command);

    struct Output
    {
        bool started = false;
        bool exists = false; // the output file was there after the run
        QStringList lines;
    };
    // Runs a line that has an output file, reads that file and deletes it.
    Output runForOutput(const ArchiverCommand& command);

    // The archiver's exit code of the last run: 0 done, 1 done with warnings, 2 and above a fatal
    // error (a broken archive whose data failed its check, say); -1 when it was killed or not
    // started. Outcomes are judged from files; this only tells a file the archiver wrote from data
    // it knows to be broken.
    int lastExitCode() const { return m_lastExitCode; }

    RunState& runState() { return m_state; }
    void pump() const;

    // The archiver program: OMBRIX_7ZA when set, otherwise "7za" from PATH.
    static QString program();
    // The archiver reads file names and the password in the locale's encoding; it always gets
    // UTF-8, the encoding Qt uses for file names, so names and passwords never depend on how the
    // program was started.
    static QStringList environment();

  private:
    RunState& m_state;
    Pump m_pump;
    StartFailed m_startFailed;
    int m_lastExitCode = -1;
};

} // namespace ombrix
