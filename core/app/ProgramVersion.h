#pragma once

#include <QString>

namespace ombrix::app {

// A version padded or cut to four dot-separated numbers ("0.1.0" -> "0.1.0.0"); parts that are
// not numbers count as 0.
QString fourPartVersion(const QString& version);
// The version compiled into this build, in four parts.
QString programVersion();
// The main window's caption: "Ombrix v" and the four-part version.
QString windowCaption();

} // namespace ombrix::app
