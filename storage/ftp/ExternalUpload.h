#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ombrix {

class FtpConnection;
class Host;
class RunLog;
struct RunState;

// How one run of the uploader ended.
struct UploadResult
{
    // ombrixftp was started (it may still have failed; the server tells).
    bool started = false;
    // The stall guard ended it.
    bool killedByGuard = false;
    // It was ended by a kill from elsewhere (STOP, skip) or by STOP seen here.
    bool killed = false;
    // Why it could not be started.
    QString error;
};

// Every upload to an FTP or Skyvra destination is made by the console program ombrixftp, one
// process per file, with its own FTP connection; this object starts it and watches it.
//
// While the uploader runs the Host is pumped every 50 ms (STOP kills the process through
// RunState::lastProcessId, and a STOP the button only flagged is acted on here). From 20 s after
// the start the remote file is looked at every 10 s over the main connection and the
// percentage shown next to the transfer indicator. The stall guard kills the uploader and logs
// "ftp error (ombrixftp.exe): " + the remote name when two checks at least one stall period
// (60 s) apart saw the same remote size above 0, or when three checks in a row saw the file
// missing or empty. Checks without a successful look at the server since the previous one
// count for nothing, so a main connection that cannot answer never gets a healthy upload
// killed. The periods can be shortened with the setters or with OMBRIX_FTP_POLL_MS and
// OMBRIX_FTP_STALL_MS.
//
// The password never appears on a command line or in an environment: the uploader gets it as
// the first line of its standard input ("--password-stdin").
class ExternalUpload
{
  public:
    static constexpr int defaultPollPeriodMs = 10000;
    static constexpr int defaultStallPeriodMs = 60000;
    static constexpr int waitSliceMs = 50;

    // runLog may be null (the guard's line is not written then).
    ExternalUpload(FtpConnection& connection, Host& host, RunState& state, RunLog* runLog);

    // The uploader program; by default ombrixftp beside this program (else on PATH).
    void setProgram(const QString& program) { m_program = program; }
    const QString& program() const { return m_program; }
    void setPollPeriodMs(int ms);
    void setStallPeriodMs(int ms);
    int pollPeriodMs() const { return m_pollPeriodMs; }
    int stallPeriodMs() const { return m_stallPeriodMs; }

    // Uploads the local file co as kam (already encoded) into the server folder adresar (already
    // encoded and absolute), with the host, user and password of the main connection. The
    // caller has set the main connection's current folder to adresar and judges the outcome
    // itself from the server afterwards. A start failure is shown as an error message.
    UploadResult ftpExternalPUT(const QString& co, const QString& kam, const QString& adresar);

    // The uploader's arguments for one upload; the password follows on standard input.
    static QStringList uploaderArguments(const QString& co, const QString& kam, const QString& hostField,
                                         const QString& user, const QString& adresar);

  private:
    bool pollRemoteSize(const QString& kam, const QString& adresar, qint64& size);

    FtpConnection& m_connection;
    Host& m_host;
    RunState& m_state;
    RunLog* m_runLog;
    QString m_program;
    int m_pollPeriodMs = defaultPollPeriodMs;
    int m_stallPeriodMs = defaultStallPeriodMs;
};

} // namespace ombrix
