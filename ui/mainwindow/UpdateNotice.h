#pragma once

#include "ui/settings/LinkLabel.h"

namespace ombrix::ui {

// Label35 on the backup page: the notice that a newer version is available, bold and dark red,
// hidden until the update check announces a version. Like the other links it shows a hand
// cursor, is underlined while the mouse is over it, and a click opens the maker's web site
// (app::webSite(), OMBRIX_WEB_SITE overrides it) in the default browser, through LinkLabel's
// opener, which tests replace.
class UpdateNotice : public LinkLabel
{
    Q_OBJECT

  public:
    explicit UpdateNotice(QWidget* parent = nullptr);

    // The notice's caption (the translated notice text and the version); the label stays hidden
    // or shown as it is.
    void setNotice(const QString& text);
};

} // namespace ombrix::ui
