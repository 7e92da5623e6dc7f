#pragma once

#include <QString>

namespace ombrix::app {

// The address of the maker's web site, as ombrixftp's banner and the program show it:
// OMBRIX_WEB_SITE when set, otherwise the built-in address.
QString webSite();

} // namespace ombrix::app
