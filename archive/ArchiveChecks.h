#pragma once

#include <QString>

namespace ombrix {

class ArchiverRunner;

// The archive test: the archiver's listing of the local archive soubor ends with a summary of
// one file. With a password set, the listing is made with it ("-p" on the original's command
// line, fed on standard input here), so an archive whose names are encrypted with another
// password fails. A missing archive fails without running the archiver.
bool testZip(ArchiverRunner& runner, const QString& soubor, const QString& archivePassword);

// A local file exists (folders do not count) and, when velikost is above 0, has exactly that
// size. Files on an FTP destination are checked with the destination's own existence and size
// helpers instead.
bool TestFile(const QString& filename, qint64 velikost);

} // namespace ombrix
