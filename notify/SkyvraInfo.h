#pragma once

#include <QString>

namespace ombrix {

// The network-disk service's account information: one line of text the destination page shows
// beside the account fields, unparsed. Asked with a GET request over HTTPS (the server's
// certificate verified) to skyvraInfoUrl() + "/getSkyvraInfo.php?user=" + the URL-encoded
// account name + "&pass=" + MD5 of the password, with the header Accept "text/html, */*".
//
// The answer is the first line of the body (a byte-order mark selects its encoding, otherwise
// the locale's 8-bit encoding). Anything that goes wrong (no network, a refused or untrusted
// certificate, an HTTP error status, an empty body) gives an empty text; nothing is thrown.
// The request blocks the calling thread until it completes or times out.
QString get_skyvra_info(const QString& username, const QString& password);

// The request path with its query, as it is sent below the service's address.
QString skyvraInfoRequest(const QString& username, const QString& password);

} // namespace ombrix
