#pragma once

#include "core/config/ConfigKeys.h"

#include <QString>

namespace ombrix {

class IniStore;

// The masked fields that edit a stored password. A field with a stored password shows a fixed row
// of asterisks instead of it; its change handler stores the field's text (scrambled) only when the
// text differs from that row, so showing the row never overwrites the stored value.
enum class PasswordField
{
    FtpAccount,      // BACKUP_FTP_PASS, Edit4 on the destination page, 13 asterisks
    SkyvraAccount,   // SKYVRA_PASSW, Edit10 on the destination page, 13 asterisks
    ArchivePassword, // PASSWORD, Edit12 on the settings page, 23 asterisks
    SmtpAccount,     // EMAIL_SMTP_PASSWORD, Edit8 in the e-mail dialog, 15 asterisks
};

// The key the field's password is stored in.
ConfigKey passwordKey(PasswordField field);
// The row of asterisks the field shows in place of a stored password.
QString asteriskRow(PasswordField field);

// What the field shows for the stored (scrambled) value: the row when a password is stored (for
// the archive password: when it unscrambles to a non-empty text; the SMTP field always shows it),
// otherwise the empty text.
QString maskedFieldText(PasswordField field, const QString& storedScrambled);

// True when the field's text is a password to store, that is anything but the field's row. A
// password made of exactly the row therefore cannot be set through the field.
bool isNewPassword(PasswordField field, const QString& fieldText);

// The change handler's write: stores sifruj(fieldText) under the field's key unless the text is
// the row. Returns false only when the write failed (store.lastError() says why).
bool storePasswordFromField(IniStore& store, PasswordField field, const QString& fieldText);

} // namespace ombrix
