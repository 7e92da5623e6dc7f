#pragma once

#include <QObject>
#include <QTimer>

namespace ombrix::ui {

class BackupWiring;
class ProgramShell;

// The destination page's FTP and network-disk "Použij" and the FTP keep-alive. The FTP apply
// connects with the account the page stored, says whether the connection works and whether the
// remote folder is there, and runs the readiness pass, which opens the program's connection on
// these values. The network-disk apply does the same for the account at the service's FTP host
// and also shows the service's account information line (Label37), which the page shows again
// whenever it is opened while the running destination is the network disk. The keep-alive
// (ftp_connecting) asks the server every 30 s while an FTP or network-disk destination is
// online, so an idle connection is not dropped between runs.
class DestinationWiring : public QObject
{
    Q_OBJECT

  public:
    DestinationWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent = nullptr);

    void applyFtp();
    void applySkyvra();
    // The destination page became visible: with the network disk running, Label37 shows the
    // account information for the connection's user and password.
    void refreshAccountInfo();
    void ftp_connectingTimer();

  private:
    void tell(const QString& text);

    ProgramShell& m_shell;
    BackupWiring& m_backup;
    QTimer m_keepAlive;
};

} // namespace ombrix::ui
