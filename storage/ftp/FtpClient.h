#pragma once

#include <functional>
#include <memory>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <string>

namespace ombrix {

// One FTP control connection: log-in, folder commands, detailed listings and file transfers.
// Every operation answers true or false; on false lastError() holds the server's reply (for
// example "550 No such file or directory.") or the network error's text. Nothing is ever thrown.
//
// Every step (connecting, each command, each data connection and every read or write on it) is
// bounded by the timeout. A reply 421, a connection the server closed, a timeout or any other
// network failure closes the client: isOpen() is false afterwards and the next operation fails
// until connectTo() is called again. A refusal the server answers with another code ("550 ...")
// leaves the connection usable.
//
// Names and paths travel as UTF-8. Transfers move the bytes as they are in either transfer type
// (ASCII only changes what the server is told).
class FtpClient
{
  public:
    static constexpr int defaultTimeoutMs = 30000;

    // The timeout starts at 30 s, or at OMBRIX_FTP_TIMEOUT_MS when that is set to a positive
    // number of milliseconds.
    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Applies to the open connection at once and to every later one.
    void setTimeoutMs(int ms);
    int timeoutMs() const { return m_timeoutMs; }
    // Passive (the client connects for data, the default) or active (the server connects back).
    void setPassive(bool passive);
    bool passive() const { return m_passive; }
    // Binary (TYPE I, the default) or ASCII (TYPE A). Sent at once on an open connection (false
    // when the server refuses it) and at every log-in.
    bool setBinary(bool binary);
    bool binary() const { return m_binary; }

    // Closes any open connection, connects, reads the greeting, logs in, sets the transfer type
    // and asks which features the server offers (FEAT: MLSD is used when it announces MLST or
    // MLSD). False, with the connection closed, when any of that fails.
    bool connectTo(const QString& host, quint16 port, const QString& user, const QString& password);
    // Says goodbye (QUIT, briefly waited for) and closes. Never fails.
    void disconnect();
    bool isOpen() const;
    // Whether listings are made with MLSD (else "LIST -al").
    bool usesMlsd() const { return m_mlsd; }

    bool noop();
    bool changeDir(const QString& path);
    bool changeToParent();
    // The server's current folder as it reports it (PWD).
    bool printDir(QString& folder);
    // The detailed listing of the current folder, one raw line per entry in the server's order
    // (MLSD facts or the Unix long form). With a specifier other than empty or "*" only the lines
    // of the entry of that name are kept (an empty list when there is none).
    bool listDetailed(const QString& specifier, QStringList& lines);
    bool makeDir(const QString& path);
    bool removeDir(const QString& path);
    bool deleteFile(const QString& path);
    bool rename(const QString& from, const QString& to);
    // RETR into localFile, which must not exist; no resume. The bytes go to a hidden temporary
    // file beside it (".ombrix-get-*.tmp"), which becomes localFile only after the server
    // confirmed the whole transfer, so a broken download never leaves a file that looks whole.
    bool download(const QString& remote, const QString& localFile);
    // STOR of a local file under the given remote name; the server replaces a file of that name.
    bool upload(const QString& localFile, const QString& remote);
    // SIZE; servers may refuse it (some only answer in binary mode).
    bool fileSize(const QString& remote, qint64& size);

    const QString& lastError() const { return m_lastError; }
    // The code of the last reply read; 0 when the last failure was no reply at all.
    int lastReplyCode() const { return m_lastCode; }

  private:
    class Session;

    bool guarded(const std::function<bool()>& step);
    bool judge(int code, const std::string& reply, int expectedClass);
    bool simpleCommand(const char* command, const QString& argument, int expectedClass);
    bool receiveData(const char* command, const std::string& argument,
                     const std::function<bool(const char*, int)>& sink);
    bool sendType();
    bool announcesMlsd();
    bool encodeArgument(const QString& argument, std::string& wire);
    void fail(int code, const QString& text);
    void drop();

    std::unique_ptr<Session> m_session;
    int m_timeoutMs = defaultTimeoutMs;
    bool m_passive = true;
    bool m_binary = true;
    bool m_mlsd = false;
    QString m_lastError;
    int m_lastCode = 0;
};

} // namespace ombrix
