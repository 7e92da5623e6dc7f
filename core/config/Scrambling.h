#pragma once

#include <QString>

namespace ombrix {

// Scrambling of the stored passwords (BACKUP_FTP_PASS, SKYVRA_PASSW, PASSWORD,
// EMAIL_SMTP_PASSWORD). This only keeps a password from being readable at a glance in config.ini;
// it uses no key and is not encryption.

// The scrambled form of plain: digits, capital letters A-Y and dashes, different at every call.
// Every character (16-bit code) becomes a group "r L v": a random digit r, the digit count L of v,
// and v = code + position * r; random letters are then inserted and a dash put before every fifth
// character. The empty text scrambles to the empty text.
QString sifruj(const QString& plain);

// The plain text of a scrambled form: everything but the digits is dropped, then the groups are
// decoded in turn. desifruj(sifruj(p)) == p for every p.
//
// Text sifruj did not make (typed into the file by hand, damaged) never reads out of range: the
// result is the characters of the complete, well-formed groups before the first group that is
// cut short, has a digit count of 0, or decodes to a code outside 0..0xFFFF. A trailing lone
// digit is ignored. So a plain word without digits reads as the empty password.
QString desifruj(const QString& scrambled);

} // namespace ombrix
