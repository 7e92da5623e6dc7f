#include "archive/ArchiverRunner.h"

#include "core/host/Host.h"
#include "core/text/TextFile.h"
#include "platform/ChildProcess.h"
#include "platform/ProgramFolder.h"

#include <QFile>

namespace ombrix {

ArchiverRunner::ArchiverRunner(RunState& state, Pump pump, StartFailed startFailed)
    : m_state(state), m_pump(std::move(pump)), m_startFailed(std::move(startFailed))
{
}

ArchiverRunner::ArchiverRunner(RunState& state, Host& host)
    : ArchiverRunner(
          state, [&host] { host.pump(); }, [&host](const QString& text) { host.ask(AskKind::Error, text); })
{
}

void ArchiverRunner::pump() const
{
    if (m_pump)
        m_pump();
}

QString ArchiverRunner::program()
{
    const QString configured = qEnvironmentVariable("OMBRIX_7ZA");
    return configured.isEmpty() ? QStringLiteral("7za") : configured;
}

QStringList ArchiverRunner::environment()
{
    return {QStringLiteral("LC_ALL=C.UTF-8")};
}

bool ArchiverRunner::run(const ArchiverCommand& command)
{
    platform::ChildRequest request;
    request.program = program();
    request.arguments = command.arguments;
    request.standardInput = command.standardInput;
    request.environment = environment();
    request.hidden = true;
    if (!command.outputFile.isEmpty()) {
        request.stdoutFile = platform::programFile(command.outputFile);
        request.stderrToStdoutFile = command.includeErrors;
    }
    const platform::ChildResult result = platform::ShellExecAndWait(request, m_state, m_pump);
    m_lastExitCode = result.started && !result.killed ? result.exitCode : -1;
    if (!result.started && m_startFailed)
        m_startFailed(result.errorText);
    return result.started;
}

ArchiverRunner::Output ArchiverRunner::runForOutput(const ArchiverCommand& command)
{
    Output output;
    const QString path = platform::programFile(command.outputFile);
    // A stale file from an earlier run must never be judged as this run's output.
    QFile::remove(path);
    output.started = run(command);
    const TextFile::ReadResult read = TextFile::readLines(path);
    output.exists = read.ok;
    output.lines = read.lines;
    QFile::remove(path);
    return output;
}

} // namespace ombrix
