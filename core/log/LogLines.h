#pragma once

#include <QLatin1String>
#include <QString>

namespace ombrix::logline {

// The run log is written in English and never translated; these are its fixed line starts.
inline constexpr QLatin1String archivPrefix{"Archiv: "};
inline constexpr QLatin1String notArchived{"not archived: "};
inline constexpr QLatin1String missingStorage{"Missing storage in sources list: "};
inline constexpr QLatin1String invalidRecord{"Invalid record in sources list: "};
inline constexpr QLatin1String ftpError{"ftp error: "};
inline constexpr QLatin1String ftpConsoleError{"ftp error (ombrixftp.exe): "};
inline constexpr QLatin1String emailError{"EMAIL error: "};
// Width of the rule under the first line of a run log.
inline constexpr int ruleLength = 56;

// "ftp error: " + error text + ": " + file path, the line of a failed upload.
inline QString ftpUploadError(const QString& errorText, const QString& filePath)
{
    return ftpError + errorText + QLatin1String(": ") + filePath;
}

} // namespace ombrix::logline
