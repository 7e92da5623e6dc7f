#include "core/config/DefaultConfig.h"

#include "core/config/ConfigKeys.h"
#include "core/text/TextFile.h"

#include <initializer_list>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace ombrix {

namespace {

using Default = std::pair<ConfigKey, const char*>;

void appendSection(QStringList& lines, QLatin1StringView section, std::initializer_list<Default> keys)
{
    lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    for (const Default& key : keys)
        lines.append(key.first.name + QLatin1Char('=') + QLatin1StringView(key.second));
}

} // namespace

QStringList defaultConfigLines()
{
    using namespace ConfigKeys;
    QStringList lines;
    appendSection(lines, SYSTEM,
                  {
                      // One blank: reads as empty, like the other empty keys.
                      {LAST_ARCHIV_NAME, " "},
                      {LAST_BACKUP_LIST_INDEX, "0"},
                      {LAST_BACKUP_DONE, "1"},
                      {BACKUP_DESTINATION, "DIR"},
                      {BACKUP_DIR, ""},
                      {BACKUP_FTP_HOST, ""},
                      {BACKUP_FTP_USER, ""},
                      {BACKUP_FTP_PASS, ""},
                      {BACKUP_FTP_DIR, ""},
                      {TAB_INDEX, "0"},
                      {RECOVERY_ARCHIVNAME, ""},
                      {RECOVERY_ARCHIV_INDEX, "0"},
                      {RECOVERY_DONE, "1"},
                      {RECOVERY_DIR, ""},
                      {RECOVERY_DEST, "0"},
                      {SUM_DONE, "1"},
                      {SUM_FROM, ""},
                      {SUM_TO, ""},
                      {SKYVRA_USER, ""},
                      {SKYVRA_PASSW, ""},
                  });
    lines.append(QString());
    appendSection(lines, OPTIONS,
                  {
                      {RUN_BEFORE_BACKUP, "0"}, {PROGRAM_BB, ""},           {RUN_AFTER_BACKUP, "0"},
                      {PROGRAM_AB, ""},         {COMPRES_LEVEL, "DEFAULT"}, {VERIFY_LAST_ARCHIV, "0"},
                      {PASSWORD, ""},           {ARCHIVE_COUNT, "0"},       {COLOR_ARCHIVES, "0"},
                      {LANGUAGE, "SYSTEM"},     {ARCHIVLIST_BUFFER, "0"},   {EMAIL, "0"},
                      {SUM_FIRST_SECOND, "0"},  {AUTOSTART_BACKUP, "0"},    {SOURCE_ERROR_SKIP, "0"},
                      {AUTOUPDATE, "0"},        {FTP_BINARY, "1"},          {FTP_PASSIVE, "1"},
                      {INTERNAL_COPY, "0"},
                  });
    lines.append(QString());
    appendSection(lines, OPTIONS_EMAIL,
                  {
                      {EMAIL_FROM_ADRESS, ""},
                      {EMAIL_PC_NAME, ""},
                      {EMAIL_TO_ADRESS, ""},
                      {EMAIL_SMTP_HOST, ""},
                      {EMAIL_SMTP_PORT, "25"},
                      {EMAIL_SMTP_USERNAME, ""},
                      {EMAIL_SMTP_PASSWORD, ""},
                      {EMAIL_SMTP_SSL, "0"},
                  });
    return lines;
}

QByteArray defaultConfigBytes()
{
    QByteArray bytes;
    for (const QString& line : defaultConfigLines()) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool writeDefaultConfigIfMissing(const QString& folder)
{
    const QString path = QDir(folder).filePath(configFileName);
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        return info.isFile();
    // Created for its owner only: the passwords stored in it later are scrambled, not encrypted.
    return TextFile::writeAtomically(path, defaultConfigBytes(), TextFile::Access::OwnerOnly);
}

} // namespace ombrix
