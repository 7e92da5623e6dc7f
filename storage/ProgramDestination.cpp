#include "storage/ProgramDestination.h"

#include "core/app/SkyvraService.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "storage/FolderDestination.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ftp/FtpDestination.h"

namespace ombrix {

ProgramDestination::ProgramDestination(IniStore& config, Host& host, RunState& runState, RunLog* runLog)
{
    using namespace ConfigKeys;
    m_kind = destinationKindFromText(config.readString(BACKUP_DESTINATION, QString(DESTINATION_DIR)));
    if (m_kind == DestinationKind::Dir) {
        m_folder = std::make_unique<FolderDestination>(config.readString(BACKUP_DIR, QString()));
        return;
    }
    FtpSettings settings;
    settings.kind = m_kind;
    settings.passive = config.readBool(FTP_PASSIVE, true);
    settings.binary = config.readBool(FTP_BINARY, true);
    QString remoteFolder;
    if (m_kind == DestinationKind::Ftp) {
        settings.hostField = config.readString(BACKUP_FTP_HOST, QString());
        settings.user = config.readString(BACKUP_FTP_USER, QString());
        settings.password = desifruj(config.readString(BACKUP_FTP_PASS, QString()));
        remoteFolder = config.readString(BACKUP_FTP_DIR, QString());
    } else {
        settings.hostField = app::skyvraFtpHost();
        settings.user = config.readString(SKYVRA_USER, QString());
        settings.password = desifruj(config.readString(SKYVRA_PASSW, QString()));
    }
    m_connection = std::make_unique<FtpConnection>(settings);
    m_remote = std::make_unique<FtpDestination>(m_kind, remoteFolder, *m_connection, host, runState, runLog);
}

ProgramDestination::~ProgramDestination() = default;

Destination& ProgramDestination::destination()
{
    if (m_remote)
        return *m_remote;
    return *m_folder;
}

bool ProgramDestination::open()
{
    if (!m_connection)
        return destination().isOnline();
    return m_connection->open();
}

} // namespace ombrix
