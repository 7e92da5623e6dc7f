#pragma once

#include <QString>
#include <QUrl>

namespace ombrix {

// The maker's update server and the three requests the update check sends to it, all HTTPS GET.
// Only the first line of an answer is used.
namespace UpdateServer {

// The server: OMBRIX_UPDATE_URL when set (tests point it at a loopback server), otherwise the
// maker's host. A path in the address is kept in front of the request paths.
QUrl address();

// The newest version: "/verze_info.php?verze=" + the running version + "&destination=" + the
// destination kind (DIR, FTP or SKYVRA).
QString versionRequest(const QString& runningVersion, const QString& destination);
// The CRC-32 of the newest executable, in decimal.
QString checksumRequest();
// The newest executable itself.
QString downloadRequest(const QString& newestVersion);

} // namespace UpdateServer
} // namespace ombrix
