#pragma once

#include <QUrl>

namespace ombrix::ui {

// The addresses behind the links of the first page and the destination page. Each can be
// replaced through the environment (OMBRIX_WEB_URL, OMBRIX_CONTACT_MAIL, OMBRIX_SKYVRA_WEB_URL),
// for builds of other makers and for tests.

// The maker's web site (Label23 on "Úvod").
QUrl makerWebSite();
// A new message to the maker's contact address (Label24 on "Úvod").
QUrl contactMail();
// The network-disk service's web page, with the query "?from=ombrix" (Label36).
QUrl skyvraWebPage();
// The service's name as shown on RadioButton5 and Label36.
QString skyvraServiceName();

} // namespace ombrix::ui
