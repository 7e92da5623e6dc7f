#include "storage/ftp/ExternalUpload.h"

#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "core/remote/ListingLine.h"
#include "platform/ChildProcess.h"
#include "platform/ProgramFolder.h"
#include "storage/ftp/FtpConnection.h"

#include <algorithm>
#include <QElapsedTimer>
#include <QFileInfo>

namespace ombrix {

namespace {

// A progress poll must not hold up STOP for long: it gets at most this long on the main
// connection, whatever the connection's own timeout.
constexpr int pollTimeoutMs = 5000;
// Checks in a row that saw no byte of the file before the uploader counts as stuck.
constexpr int emptyChecksBeforeKill = 3;

int periodFromEnvironment(const char* name, int fallback)
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue(name, &ok);
    return ok && ms > 0 ? ms : fallback;
}

} // namespace

ExternalUpload::ExternalUpload(FtpConnection& connection, Host& host, RunState& state, RunLog* runLog)
    : m_connection(connection), m_host(host), m_state(state), m_runLog(runLog),
      m_program(platform::siblingProgram(QStringLiteral("ombrixftp"))),
      m_pollPeriodMs(periodFromEnvironment("OMBRIX_FTP_POLL_MS", defaultPollPeriodMs)),
      m_stallPeriodMs(periodFromEnvironment("OMBRIX_FTP_STALL_MS", defaultStallPeriodMs))
{
}

void ExternalUpload::setPollPeriodMs(int ms)
{
    m_pollPeriodMs = ms > 0 ? ms : defaultPollPeriodMs;
}

void ExternalUpload::setStallPeriodMs(int ms)
{
    m_stallPeriodMs = ms > 0 ? ms : defaultStallPeriodMs;
}

QStringList ExternalUpload::uploaderArguments(const QString& co, const QString& kam, const QString& hostField,
                                              const QString& user, const QString& adresar)
{
    return {QStringLiteral("--password-stdin"), QStringLiteral("p"), co, kam, hostField, user, adresar};
}

bool ExternalUpload::pollRemoteSize(const QString& kam, const QString& adresar, qint64& size)
{
    FtpClient& client = m_connection.client();
    const int timeout = client.timeoutMs();
    client.setTimeoutMs(std::min(timeout, pollTimeoutMs));
    m_connection.ftpReconect();
    // The folder is set again every time: a connection opened anew starts in the login folder.
    QStringList lines;
    const bool listed = client.isOpen() && client.changeDir(adresar) && client.listDetailed(kam, lines);
    client.setTimeoutMs(timeout);
    if (!listed)
        return false;
    size = 0;
    if (!lines.isEmpty())
        size = std::max<qint64>(0, listingFact(lines.first(), QStringLiteral("size")).toLongLong());
    return true;
}

UploadResult ExternalUpload::ftpExternalPUT(const QString& co, const QString& kam, const QString& adresar)
{
    UploadResult result;
    platform::ChildRequest request;
    request.program = m_program;
    request.arguments = uploaderArguments(co, kam, m_connection.hostField(), m_connection.user(), adresar);
    request.standardInput = m_connection.password().toUtf8() + '\n';
    request.hidden = true;

    platform::ChildProcess uploader(request);
    QElapsedTimer clock;
    clock.start();
    if (!uploader.start()) {
        result.error = uploader.result().errorText;
        m_host.ask(AskKind::Error, result.error);
        return result;
    }
    result.started = true;
    m_state.lastProcessId = uploader.processId();

    // Times below are milliseconds since the start.
    qint64 progressDue = m_pollPeriodMs; // the first poll comes two poll periods after the start
    qint64 stallDue = 0;
    qint64 lastRemoteSize = 0;
    qint64 sizeAtLastCheck = -1; // no earlier check: the first one can never kill
    bool polledSinceCheck = false;
    int emptyChecks = 0;
    bool stopSeen = false;

    while (!uploader.waitFor(waitSliceMs)) {
        m_host.pump();
        if (m_state.stopRequested) {
            // STOP normally kills the uploader itself; a flag alone must end it as well.
            if (!stopSeen)
                uploader.kill();
            stopSeen = true;
            continue;
        }
        const qint64 now = clock.elapsed();
        if (now > progressDue + m_pollPeriodMs) {
            progressDue = now;
            qint64 remote = 0;
            if (pollRemoteSize(kam, adresar, remote)) {
                lastRemoteSize = remote;
                polledSinceCheck = true;
                const qint64 local = QFileInfo(co).size();
                if (remote > 0 && local > 0) {
                    const qint64 percent = qint64(double(remote) / double(local) * 100.0);
                    if (percent < 100)
                        m_host.setTransferActivity(true, QString::number(percent) + QLatin1Char('%'));
                }
            }
        }
        if (now > stallDue + m_stallPeriodMs && !result.killedByGuard) {
            stallDue = now;
            if (!polledSinceCheck)
                continue;
            polledSinceCheck = false;
            bool stalled = false;
            if (lastRemoteSize > 0) {
                emptyChecks = 0;
                stalled = lastRemoteSize == sizeAtLastCheck;
            } else {
                stalled = ++emptyChecks >= emptyChecksBeforeKill;
            }
            sizeAtLastCheck = lastRemoteSize;
            if (stalled) {
                uploader.kill(); // the whole process group, as KillProcessId does
                result.killedByGuard = true;
                if (m_runLog)
                    m_runLog->dologu(logline::ftpConsoleError + kam);
            }
        }
    }
    result.killed = result.killedByGuard || stopSeen || uploader.result().killed;
    m_state.lastProcessId = -1;
    m_host.setTransferActivity(true, QString());
    return result;
}

} // namespace ombrix
