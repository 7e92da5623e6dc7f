#pragma once

#include <QString>

namespace ombrix {

// The password digest the network-disk service is asked with: MD5 of the text converted to
// 7-bit ASCII (every character outside ASCII becomes "?", one per character, so a character
// outside the basic plane counts once), written as 32 upper-case hexadecimal digits. Two
// passwords that differ only in national characters give the same digest.
QString MD5(const QString& AText);

} // namespace ombrix
