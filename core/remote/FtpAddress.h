#pragma once

#include <QString>
#include <QtGlobal>

namespace ombrix {

// The FTP host field (BACKUP_FTP_HOST, and the host argument of ombrixftp): "host" or
// "host:port", the port 21 when none is given. Blanks around the field are ignored.
struct FtpAddress
{
    static constexpr quint16 defaultPort = 21;

    QString host;
    quint16 port = defaultPort;
    // False for an empty host, a host with blanks or a further ":" in it, and a port that is
    // not a number from 1 to 65535 ("host:", "host:0", "host:21x").
    bool valid = false;

    static FtpAddress parse(const QString& field);
};

} // namespace ombrix
