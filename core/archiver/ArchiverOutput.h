#pragma once

#include <QStringList>

namespace ombrix {

// The rules by which the archiver's redirected output is judged; the archiver's exit code is
// never looked at. The archiver prints a varying number of header lines, so the lines that
// matter are found by what they say, not by their position.
class ArchiverOutput
{
  public:
    // testZip: the listing's last line is the summary of exactly one file ("... 1 files"); an
    // empty listing, an error or a summary of 11 files fails.
    static bool listsOneFile(const QStringList& lines);
    // The catalog archive of a set is encrypted: the first item's "Encrypted = " line says "+",
    // or the archive could not even be listed without a password (names encrypted too).
    static bool isEncrypted(const QStringList& lines);
    // The password test failed: "Sub items Errors: " counts one or more items, or the archive
    // could not be opened because of the password.
    static bool isWrongPassword(const QStringList& lines);
    // The run log stored in the set is one of a clean run: an item "Size = 94" or "Size = 91".
    static bool isCleanRunLog(const QStringList& lines);
};

} // namespace ombrix
