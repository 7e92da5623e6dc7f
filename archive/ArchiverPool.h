#pragma once

#include "core/archiver/ArchiverCommand.h"
#include "core/host/RunState.h"
#include "platform/ChildProcess.h"

#include <functional>
#include <map>
#include <memory>
#include <QString>
#include <QStringList>

namespace ombrix {

// Several archiver runs at once, all waited for in the one user-interface loop: start() returns
// at once with a ticket, poll() waits one slice (50 ms at most, less when a child ends sooner)
// for any of them and pumps once, so the window stays alive and STOP is seen between slices.
//
// STOP and skip end every running child: the button kills the child RunState::lastProcessId
// names (the pool keeps it on its newest running child), and the next poll() kills the rest.
// The flags themselves are left for the caller, who decides what the stop means for its files.
// Destroying the pool kills whatever still runs, so no archiver outlives the run that started it.
class ArchiverPool
{
  public:
    using Pump = std::function<void()>;
    using Ticket = int;

    struct Outcome
    {
        bool started = false;
        // The operating system's text for why the archiver could not be started.
        QString errorText;
        // The archiver's exit code; -1 when it was killed or not started.
        int exitCode = -1;
        bool killed = false;
        // For a command with an output file: the file was there after the run, and its lines.
        bool outputExists = false;
        QStringList lines;
    };

    ArchiverPool(RunState& state, Pump pump);
    ~ArchiverPool();
    ArchiverPool(const ArchiverPool&) = delete;
    ArchiverPool& operator=(const ArchiverPool&) = delete;

    // Starts the archiver for one command line and returns without waiting. Every call gets a
    // new ticket, also when the start fails (the ticket is finished at once and its outcome says
    // why). A command's output file gets the ticket in its name ("testzip.tmp" becomes
    // "testzip-7.tmp" in the program folder), so children running together never share one; it
    // is read into the outcome and deleted when the child ends.
    Ticket start(const ArchiverCommand& command);

    // One slice: waits at most 50 ms for any running child to end, collects every child that
    // has ended, pumps once, and kills all children when STOP or skip was asked for. Returns how
    // many children still run. Returns after the pump alone when none runs.
    int poll();

    // Polls until the ticket has finished (or STOP or skip ended it).
    void waitFor(Ticket ticket);
    // Polls until no child runs any more.
    void waitForAll();

    // The ticket's child has ended, was killed, or never started. Unknown tickets (never given
    // out, or already taken) count as finished.
    bool finished(Ticket ticket) const;
    // The outcome of a finished ticket (an empty outcome for an unknown or running one).
    Outcome outcome(Ticket ticket) const;
    // The outcome, and the pool forgets the ticket.
    Outcome take(Ticket ticket);

    // Kills every running child (its whole process group) and reaps it; their outcomes say
    // killed.
    void killAll();

    int runningCount() const;
    bool anyRunning() const { return runningCount() > 0; }

  private:
    struct Job
    {
        std::unique_ptr<platform::ChildProcess> child;
        QString outputPath;
        bool done = false;
        Outcome outcome;
    };

    void collect();
    void finish(Job& job);
    void pointLastProcessId();

    RunState& m_state;
    Pump m_pump;
    std::map<Ticket, Job> m_jobs;
    Ticket m_nextTicket = 1;
};

} // namespace ombrix
