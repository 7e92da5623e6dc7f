#pragma once

#include <memory>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

namespace ombrix::platform {
class ChildProcess;
}

namespace ombrix::test {

// A real FTP server (tests/support/ftp_server.py on pyftpdlib) on 127.0.0.1 and a free port,
// serving one folder to one user. The server is started by start() and always stopped by the
// destructor; when the test has failed its output and command log are printed first.
//
// Options make it misbehave as real servers do; setOptions() changes them while it runs (they
// apply from the next command or connection on). stop() and restart() end it and bring it back
// on the same port, as a server restarted under a running backup.
class FtpServer
{
  public:
    struct Options
    {
        bool mlsd = true;                  // off: neither MLSD nor MLST, clients must use LIST
        int delayMs = 0;                   // every command answered this late
        qint64 throttleBytesPerSecond = 0; // data connections at most this fast (0: no limit)
        qint64 stallAfterBytes = -1;       // uploads stop being read after this many bytes (-1: never)
        bool refuseLogins = false;         // every login refused with 530
        bool reply421 = false;             // new connections greeted with 421, open ones get 421 next
        QString refuseRenameOf;            // an RNFR whose path contains this text gets 550 (empty: none)
    };

    // root: the folder served (it must exist). The password never appears on the server's
    // command line: it is handed over in a file.
    explicit FtpServer(const QString& root, const QString& user = QStringLiteral("ombrix"),
                       const QString& password = QStringLiteral("Tajne-Heslo 42"));
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    // Starts the server and waits until it listens. False (with the reason in errorText()) when
    // it did not come up.
    bool start();
    bool start(const Options& options);
    void stop();
    // Starts it again on the same port with the current options.
    bool restart();
    bool running() const;
    void setOptions(const Options& options);
    const Options& options() const { return m_options; }

    quint16 port() const { return m_port; }
    // "127.0.0.1:port", the form of the host field.
    QString hostField() const;
    const QString& root() const { return m_root; }
    const QString& user() const { return m_user; }
    const QString& password() const { return m_password; }
    // The local path of a server path ("/backup/x" -> root + "/backup/x").
    QString localPath(const QString& serverPath) const;

    // The commands the server received since the start or the last clearCommands(), each as
    // "COMMAND argument" (the password masked).
    QStringList commands() const;
    // How many of them were the given command ("MLSD", "LIST", "STOR", ...).
    int countCommands(const QString& command) const;
    void clearCommands();
    // The server's own output.
    QString serverOutput() const;
    const QString& errorText() const { return m_errorText; }

  private:
    bool launch();
    void writeControlFile() const;
    void printLogs() const;

    QString m_root;
    QString m_user;
    QString m_password;
    QTemporaryDir m_work;
    Options m_options;
    quint16 m_port = 0;
    std::unique_ptr<platform::ChildProcess> m_process;
    QString m_errorText;
};

} // namespace ombrix::test
