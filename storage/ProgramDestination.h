#pragma once

#include "storage/Destination.h"

#include <memory>

namespace ombrix {

class FolderDestination;
class FtpConnection;
class FtpDestination;
class Host;
class IniStore;
class RunLog;
struct RunState;

// The destination config.ini names (BACKUP_DESTINATION): the folder BACKUP_DIR, the FTP server of
// BACKUP_FTP_HOST with the remote folder BACKUP_FTP_DIR, or the network-disk account SKYVRA_USER
// whose sets lie in its root. FTP and the account are reached through the program's one FTP
// connection, which this object owns. Made once per readiness pass from the store it reads, so
// every engine of that pass works on the same destination of the kind configured.
class ProgramDestination
{
  public:
    ProgramDestination(IniStore& config, Host& host, RunState& runState, RunLog* runLog);
    ~ProgramDestination();
    ProgramDestination(const ProgramDestination&) = delete;
    ProgramDestination& operator=(const ProgramDestination&) = delete;

    DestinationKind kind() const { return m_kind; }
    Destination& destination();
    // The FTP connection of an FTP or network-disk destination; null for a folder.
    FtpConnection* connection() const { return m_connection.get(); }

    // Opens the connection as the readiness check does (disconnect, connect, NOOP), so the
    // destination is online exactly when the server answers. Nothing happens for a folder.
    // Returns whether the destination is online afterwards.
    bool open();

  private:
    DestinationKind m_kind = DestinationKind::Dir;
    std::unique_ptr<FolderDestination> m_folder;
    std::unique_ptr<FtpConnection> m_connection;
    std::unique_ptr<FtpDestination> m_remote;
};

} // namespace ombrix
