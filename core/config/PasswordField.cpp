#include "core/config/PasswordField.h"

#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"

namespace ombrix {

ConfigKey passwordKey(PasswordField field)
{
    switch (field) {
    case PasswordField::FtpAccount:
        return ConfigKeys::BACKUP_FTP_PASS;
    case PasswordField::SkyvraAccount:
        return ConfigKeys::SKYVRA_PASSW;
    case PasswordField::ArchivePassword:
        return ConfigKeys::PASSWORD;
    case PasswordField::SmtpAccount:
        return ConfigKeys::EMAIL_SMTP_PASSWORD;
    }
    return ConfigKeys::PASSWORD;
}

QString asteriskRow(PasswordField field)
{
    switch (field) {
    case PasswordField::FtpAccount:
    case PasswordField::SkyvraAccount:
        return QString(13, QLatin1Char('*'));
    case PasswordField::ArchivePassword:
        return QString(23, QLatin1Char('*'));
    case PasswordField::SmtpAccount:
        return QString(15, QLatin1Char('*'));
    }
    return QString();
}

QString maskedFieldText(PasswordField field, const QString& storedScrambled)
{
    switch (field) {
    case PasswordField::FtpAccount:
    case PasswordField::SkyvraAccount:
        return storedScrambled.isEmpty() ? QString() : asteriskRow(field);
    case PasswordField::ArchivePassword:
        return desifruj(storedScrambled).isEmpty() ? QString() : asteriskRow(field);
    case PasswordField::SmtpAccount:
        return asteriskRow(field);
    }
    return QString();
}

bool isNewPassword(PasswordField field, const QString& fieldText)
{
    return fieldText != asteriskRow(field);
}

bool storePasswordFromField(IniStore& store, PasswordField field, const QString& fieldText)
{
    if (!isNewPassword(field, fieldText))
        return true;
    return store.writeString(passwordKey(field), sifruj(fieldText));
}

} // namespace ombrix
