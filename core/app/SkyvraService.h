#pragma once

#include <QString>

namespace ombrix::app {

// Where the network-disk service Skyvra is reached. Its accounts are served by one FTP host; its
// web host answers the account information query below its address (skyvraInfoUrl() +
// "/getSkyvraInfo.php?..."), over HTTPS. Both can be pointed elsewhere through the environment
// (OMBRIX_SKYVRA_FTP_HOST as "host" or "host:port", OMBRIX_SKYVRA_INFO_URL as
// "https://host[:port]"), which is how the tests reach a stand-in service on the loopback address.
QString skyvraFtpHost();
QString skyvraInfoUrl();

} // namespace ombrix::app
