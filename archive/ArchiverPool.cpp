#include "archive/ArchiverPool.h"

#include "archive/ArchiverRunner.h"
#include "core/text/TextFile.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

namespace ombrix {

namespace {

constexpr int sliceMs = 50;

// "testzip.tmp" for ticket 7 becomes "testzip-7.tmp": still a *.tmp file, so the clean-up of
// temporary files at start removes whatever a killed run left.
QString ticketOutputName(const QString& name, int ticket)
{
    const QFileInfo info(name);
    const QString base = info.completeBaseName() + QLatin1Char('-') + QString::number(ticket);
    return info.suffix().isEmpty() ? base : base + QLatin1Char('.') + info.suffix();
}

} // namespace

ArchiverPool::ArchiverPool(RunState& state, Pump pump) : m_state(state), m_pump(std::move(pump)) {}

ArchiverPool::~ArchiverPool()
{
    killAll();
}

ArchiverPool::Ticket ArchiverPool::start(const ArchiverCommand& command)
{
    const Ticket ticket = m_nextTicket++;
    Job& job = m_jobs[ticket];

    platform::ChildRequest request;
    request.program = ArchiverRunner::program();
    request.arguments = command.arguments;
    request.standardInput = command.standardInput;
    request.environment = ArchiverRunner::environment();
    request.hidden = true;
    if (!command.outputFile.isEmpty()) {
        job.outputPath = platform::programFile(ticketOutputName(command.outputFile, ticket));
        // A stale file from an earlier run must never be judged as this run's output.
        QFile::remove(job.outputPath);
        request.stdoutFile = job.outputPath;
        request.stderrToStdoutFile = command.includeErrors;
    }

    job.child = std::make_unique<platform::ChildProcess>(request);
    if (!job.child->start()) {
        job.outcome.started = false;
        job.outcome.errorText = job.child->result().errorText;
        job.done = true;
        job.child.reset();
        if (!job.outputPath.isEmpty())
            QFile::remove(job.outputPath);
        return ticket;
    }
    job.outcome.started = true;
    pointLastProcessId();
    return ticket;
}

void ArchiverPool::finish(Job& job)
{
    const platform::ChildResult& result = job.child->result();
    job.outcome.killed = result.killed;
    job.outcome.exitCode = result.started && !result.killed ? result.exitCode : -1;
    if (!job.outputPath.isEmpty()) {
        const TextFile::ReadResult read = TextFile::readLines(job.outputPath);
        job.outcome.outputExists = read.ok;
        job.outcome.lines = read.lines;
        QFile::remove(job.outputPath);
    }
    job.child.reset();
    job.done = true;
}

void ArchiverPool::collect()
{
    for (auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (!job.done && job.child && job.child->waitFor(0))
            finish(job);
    }
}

void ArchiverPool::pointLastProcessId()
{
    // The newest running child: the one STOP's button kills at once (the rest go at the next
    // poll). -1 when none runs, as after a single archiver run.
    qint64 pid = -1;
    for (const auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (!job.done && job.child && job.child->running())
            pid = job.child->processId();
    }
    m_state.lastProcessId = pid;
}

int ArchiverPool::poll()
{
    std::vector<platform::ChildProcess*> running;
    for (auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (!job.done && job.child)
            running.push_back(job.child.get());
    }
    if (!running.empty())
        platform::ChildProcess::waitForAny(running, sliceMs);
    collect();
    if (m_pump)
        m_pump();
    if (m_state.stopRequested || m_state.skipRequested)
        killAll();
    else
        collect(); // a child the button killed during the pump is seen now, not a slice later
    pointLastProcessId();
    return runningCount();
}

void ArchiverPool::waitFor(Ticket ticket)
{
    while (!finished(ticket))
        poll();
}

void ArchiverPool::waitForAll()
{
    while (anyRunning())
        poll();
}

bool ArchiverPool::finished(Ticket ticket) const
{
    const auto found = m_jobs.find(ticket);
    return found == m_jobs.end() || found->second.done;
}

ArchiverPool::Outcome ArchiverPool::outcome(Ticket ticket) const
{
    const auto found = m_jobs.find(ticket);
    if (found == m_jobs.end() || !found->second.done)
        return Outcome();
    return found->second.outcome;
}

ArchiverPool::Outcome ArchiverPool::take(Ticket ticket)
{
    const Outcome result = outcome(ticket);
    const auto found = m_jobs.find(ticket);
    if (found != m_jobs.end() && found->second.done)
        m_jobs.erase(found);
    return result;
}

void ArchiverPool::killAll()
{
    for (auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (!job.done && job.child)
            job.child->kill();
    }
    for (auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (job.done || !job.child)
            continue;
        // SIGKILL cannot be ignored: the wait ends as soon as the kernel has taken the child down.
        while (!job.child->waitFor(sliceMs)) {
        }
        finish(job);
    }
    pointLastProcessId();
}

int ArchiverPool::runningCount() const
{
    int count = 0;
    for (const auto& [ticket, job] : m_jobs) {
        Q_UNUSED(ticket);
        if (!job.done)
            ++count;
    }
    return count;
}

} // namespace ombrix
