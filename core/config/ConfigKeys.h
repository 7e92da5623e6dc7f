#pragma once

#include <QLatin1StringView>

namespace ombrix {

// One key of config.ini together with the section it lives in.
struct ConfigKey
{
    QLatin1StringView section;
    QLatin1StringView name;
};

// Every section and key of config.ini, so no other code spells one by hand. The names are the
// file's own names; sections are matched without regard to case, but we always write them like this.
namespace ConfigKeys {

inline constexpr QLatin1StringView SYSTEM{"SYSTEM"};
inline constexpr QLatin1StringView OPTIONS{"OPTIONS"};
inline constexpr QLatin1StringView OPTIONS_EMAIL{"OPTIONS_EMAIL"};

// [SYSTEM]: destination account and the progress of backup, restore and merge runs.
inline constexpr ConfigKey LAST_ARCHIV_NAME{SYSTEM, QLatin1StringView("LAST_ARCHIV_NAME")};
inline constexpr ConfigKey LAST_BACKUP_LIST_INDEX{SYSTEM, QLatin1StringView("LAST_BACKUP_LIST_INDEX")};
inline constexpr ConfigKey LAST_BACKUP_DONE{SYSTEM, QLatin1StringView("LAST_BACKUP_DONE")};
inline constexpr ConfigKey BACKUP_DESTINATION{SYSTEM, QLatin1StringView("BACKUP_DESTINATION")};
inline constexpr ConfigKey BACKUP_DIR{SYSTEM, QLatin1StringView("BACKUP_DIR")};
inline constexpr ConfigKey BACKUP_FTP_HOST{SYSTEM, QLatin1StringView("BACKUP_FTP_HOST")};
inline constexpr ConfigKey BACKUP_FTP_USER{SYSTEM, QLatin1StringView("BACKUP_FTP_USER")};
inline constexpr ConfigKey BACKUP_FTP_PASS{SYSTEM, QLatin1StringView("BACKUP_FTP_PASS")};
inline constexpr ConfigKey BACKUP_FTP_DIR{SYSTEM, QLatin1StringView("BACKUP_FTP_DIR")};
inline constexpr ConfigKey TAB_INDEX{SYSTEM, QLatin1StringView("TAB_INDEX")};
inline constexpr ConfigKey RECOVERY_ARCHIVNAME{SYSTEM, QLatin1StringView("RECOVERY_ARCHIVNAME")};
inline constexpr ConfigKey RECOVERY_ARCHIV_INDEX{SYSTEM, QLatin1StringView("RECOVERY_ARCHIV_INDEX")};
inline constexpr ConfigKey RECOVERY_DONE{SYSTEM, QLatin1StringView("RECOVERY_DONE")};
inline constexpr ConfigKey RECOVERY_DIR{SYSTEM, QLatin1StringView("RECOVERY_DIR")};
inline constexpr ConfigKey RECOVERY_DEST{SYSTEM, QLatin1StringView("RECOVERY_DEST")};
inline constexpr ConfigKey SUM_DONE{SYSTEM, QLatin1StringView("SUM_DONE")};
inline constexpr ConfigKey SUM_FROM{SYSTEM, QLatin1StringView("SUM_FROM")};
inline constexpr ConfigKey SUM_TO{SYSTEM, QLatin1StringView("SUM_TO")};
inline constexpr ConfigKey SKYVRA_USER{SYSTEM, QLatin1StringView("SKYVRA_USER")};
inline constexpr ConfigKey SKYVRA_PASSW{SYSTEM, QLatin1StringView("SKYVRA_PASSW")};
// Obsolete keys of older versions; the readiness pass deletes them and nothing else uses them.
inline constexpr ConfigKey BACKUP_FTP{SYSTEM, QLatin1StringView("BACKUP_FTP")};
inline constexpr ConfigKey SKYVRA_NAME{SYSTEM, QLatin1StringView("SKYVRA_NAME")};

// [OPTIONS]: the user's choices.
inline constexpr ConfigKey RUN_BEFORE_BACKUP{OPTIONS, QLatin1StringView("RUN_BEFORE_BACKUP")};
inline constexpr ConfigKey PROGRAM_BB{OPTIONS, QLatin1StringView("PROGRAM_BB")};
inline constexpr ConfigKey RUN_AFTER_BACKUP{OPTIONS, QLatin1StringView("RUN_AFTER_BACKUP")};
inline constexpr ConfigKey PROGRAM_AB{OPTIONS, QLatin1StringView("PROGRAM_AB")};
inline constexpr ConfigKey COMPRES_LEVEL{OPTIONS, QLatin1StringView("COMPRES_LEVEL")};
inline constexpr ConfigKey VERIFY_LAST_ARCHIV{OPTIONS, QLatin1StringView("VERIFY_LAST_ARCHIV")};
inline constexpr ConfigKey PASSWORD{OPTIONS, QLatin1StringView("PASSWORD")};
inline constexpr ConfigKey ARCHIVE_COUNT{OPTIONS, QLatin1StringView("ARCHIVE_COUNT")};
inline constexpr ConfigKey COLOR_ARCHIVES{OPTIONS, QLatin1StringView("COLOR_ARCHIVES")};
inline constexpr ConfigKey LANGUAGE{OPTIONS, QLatin1StringView("LANGUAGE")};
inline constexpr ConfigKey ARCHIVLIST_BUFFER{OPTIONS, QLatin1StringView("ARCHIVLIST_BUFFER")};
inline constexpr ConfigKey EMAIL{OPTIONS, QLatin1StringView("EMAIL")};
inline constexpr ConfigKey SUM_FIRST_SECOND{OPTIONS, QLatin1StringView("SUM_FIRST_SECOND")};
inline constexpr ConfigKey AUTOSTART_BACKUP{OPTIONS, QLatin1StringView("AUTOSTART_BACKUP")};
inline constexpr ConfigKey SOURCE_ERROR_SKIP{OPTIONS, QLatin1StringView("SOURCE_ERROR_SKIP")};
inline constexpr ConfigKey AUTOUPDATE{OPTIONS, QLatin1StringView("AUTOUPDATE")};
inline constexpr ConfigKey FTP_BINARY{OPTIONS, QLatin1StringView("FTP_BINARY")};
inline constexpr ConfigKey FTP_PASSIVE{OPTIONS, QLatin1StringView("FTP_PASSIVE")};
inline constexpr ConfigKey INTERNAL_COPY{OPTIONS, QLatin1StringView("INTERNAL_COPY")};
// The backup schedule (BackupSchedule): read with defaults, not part of a fresh config.ini.
inline constexpr ConfigKey SCHEDULE{OPTIONS, QLatin1StringView("SCHEDULE")};
inline constexpr ConfigKey SCHEDULE_TIME{OPTIONS, QLatin1StringView("SCHEDULE_TIME")};
inline constexpr ConfigKey SCHEDULE_DAY{OPTIONS, QLatin1StringView("SCHEDULE_DAY")};

// [OPTIONS_EMAIL]: the report mail.
inline constexpr ConfigKey EMAIL_FROM_ADRESS{OPTIONS_EMAIL, QLatin1StringView("EMAIL_FROM_ADRESS")};
inline constexpr ConfigKey EMAIL_PC_NAME{OPTIONS_EMAIL, QLatin1StringView("EMAIL_PC_NAME")};
inline constexpr ConfigKey EMAIL_TO_ADRESS{OPTIONS_EMAIL, QLatin1StringView("EMAIL_TO_ADRESS")};
inline constexpr ConfigKey EMAIL_SMTP_HOST{OPTIONS_EMAIL, QLatin1StringView("EMAIL_SMTP_HOST")};
inline constexpr ConfigKey EMAIL_SMTP_PORT{OPTIONS_EMAIL, QLatin1StringView("EMAIL_SMTP_PORT")};
inline constexpr ConfigKey EMAIL_SMTP_USERNAME{OPTIONS_EMAIL, QLatin1StringView("EMAIL_SMTP_USERNAME")};
inline constexpr ConfigKey EMAIL_SMTP_PASSWORD{OPTIONS_EMAIL, QLatin1StringView("EMAIL_SMTP_PASSWORD")};
inline constexpr ConfigKey EMAIL_SMTP_SSL{OPTIONS_EMAIL, QLatin1StringView("EMAIL_SMTP_SSL")};

// Value texts with a meaning of their own.
inline constexpr QLatin1StringView DESTINATION_DIR{"DIR"};
inline constexpr QLatin1StringView DESTINATION_FTP{"FTP"};
inline constexpr QLatin1StringView DESTINATION_SKYVRA{"SKYVRA"};
// What the destination page shows when BACKUP_DIR is missing.
inline constexpr QLatin1StringView BACKUP_DIR_NOT_SET{"..nezadano.."};
// COMPRES_LEVEL: only this exact text selects the stronger compression.
inline constexpr QLatin1StringView COMPRESSION_HIGH{"HIGH"};
inline constexpr QLatin1StringView COMPRESSION_DEFAULT{"DEFAULT"};
// LANGUAGE: follow the operating system's language.
inline constexpr QLatin1StringView LANGUAGE_SYSTEM{"SYSTEM"};

} // namespace ConfigKeys
} // namespace ombrix
