#pragma once

#include <QString>

namespace ombrix::ui {

// The remote folder of an FTP account (Edit5, BACKUP_FTP_DIR) is kept without a leading or
// trailing separator. Exactly one "/" or "\" is dropped at each end, so "/backup/" becomes
// "backup" and "//x//" becomes "/x/"; a lone "/" or "\" becomes empty.
QString normalizeRemoteFolder(const QString& folder);

// A remote folder inside an archive set ("OMX_" anywhere in it) is refused before any connection.
bool remoteFolderInsideSet(const QString& folder);

} // namespace ombrix::ui
