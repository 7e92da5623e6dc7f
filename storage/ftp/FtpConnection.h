#pragma once

#include "storage/Destination.h"
#include "storage/ftp/FtpClient.h"

#include <QString>

namespace ombrix {

// What the program's FTP connection is opened with.
struct FtpSettings
{
    // FTP or Skyvra; with Dir the connection stays closed and every step does nothing.
    DestinationKind kind = DestinationKind::Ftp;
    // "host" or "host:port": BACKUP_FTP_HOST, or the Skyvra service's fixed host.
    QString hostField;
    QString user;
    // Already unscrambled.
    QString password;
    bool passive = true; // FTP_PASSIVE
    bool binary = true;  // FTP_BINARY
};

// The main program's one FTP connection to an FTP or Skyvra destination, and ftpOnline, the flag
// that tells every destination operation whether the destination is to be asked at all.
// Uploads never travel over it: the external uploader opens a connection of its own with the
// host, user and password this object holds.
class FtpConnection
{
  public:
    // The keep-alive's period: the window's timer calls keepAliveTick() this often.
    static constexpr int keepAlivePeriodMs = 30000;

    FtpConnection() = default;
    explicit FtpConnection(const FtpSettings& settings) : m_settings(settings) {}

    // Takes new values for the next opening (the connection itself is left as it is).
    void setSettings(const FtpSettings& settings) { m_settings = settings; }
    const FtpSettings& settings() const { return m_settings; }
    // The values the uploader is started with.
    const QString& hostField() const { return m_settings.hostField; }
    const QString& user() const { return m_settings.user; }
    const QString& password() const { return m_settings.password; }

    bool ftpOnline() const { return m_ftpOnline; }
    void setFtpOnline(bool online) { m_ftpOnline = online; }

    // Opening as at start-up readiness and at the apply buttons: ftpOnline := false; for an FTP
    // or Skyvra destination close, connect and log in ignoring any error, ftpOnline := true, and
    // a NOOP decides: ftpOnline is false again when it fails. Returns ftpOnline.
    bool open();
    // Opening again with the same values before an in-process operation: an open connection is
    // kept, a closed one is opened again; ftpOnline is true afterwards whenever the connection
    // is open. A failure is not reported here: the following operation meets the closed
    // connection and reports it. Does nothing for a folder destination.
    void ftpReconect();
    // The 30-second keep-alive: when the destination is FTP or Skyvra and ftpOnline is true, the
    // current server folder is listed and the listing thrown away; any error is ignored.
    void keepAliveTick();
    // NOOP on the open connection; true when the server answered it.
    bool noop();
    // Closes the connection (at program end, or when the destination changes).
    void disconnect();

    bool isConnected() const { return m_client.isOpen(); }
    bool usable() const { return m_settings.kind != DestinationKind::Dir; }

    FtpClient& client() { return m_client; }
    const FtpClient& client() const { return m_client; }

  private:
    bool connect();

    FtpSettings m_settings;
    FtpClient m_client;
    bool m_ftpOnline = false;
};

} // namespace ombrix
