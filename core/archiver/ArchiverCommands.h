#pragma once

#include "core/archiver/ArchiverCommand.h"

#include <QString>

namespace ombrix {

// Every archiver command line the program runs, one builder per kind of run. Paths are full
// paths; the archiver finds nothing relative to its working folder.
//
// All lines put the switches first and end them with "--", so a file name can never be taken
// for a switch, and use -spd so "*" and "?" in file names are plain characters, not wildcards.
// The password is fed on standard input: "a -p" reads it twice (entry and confirmation), "l",
// "t" and "e" without -p read it once when the archive needs it. An empty password on a line
// that always carries one is passed as a bare "-p" (empty password, nothing is read).
class ArchiverCommands
{
  public:
    static inline const QString testZipOutput = QStringLiteral("testzip.tmp");
    static inline const QString passwordOutput = QStringLiteral("passtmp.tmp");
    static inline const QString runLogOutput = QStringLiteral("logtmp.tmp");

    // Lines 1 and 2: pack one file into a new archive, the temporary archive in workFolder.
    // level is "0", "1" or "5"; an empty password makes an archive without one.
    static ArchiverCommand addFile(const QString& archive, const QString& source, const QString& level,
                                   const QString& workFolder, const QString& password);
    // Line 3: the listing testZip judges, into "testzip.tmp".
    static ArchiverCommand listForTest(const QString& archive, const QString& password);
    // Lines 4 and 5: extract everything of the archive, without stored folders, into
    // targetFolder, overwriting.
    static ArchiverCommand extractAll(const QString& archive, const QString& targetFolder,
                                      const QString& password);
    // Line 6: technical listing of a set's catalog archive, into "passtmp.tmp".
    static ArchiverCommand catalogListing(const QString& archive);
    // Line 7: password test of a set's catalog archive, into "passtmp.tmp".
    static ArchiverCommand passwordTest(const QString& archive, const QString& password);
    // Line 8: technical listing of a set's run-log archive, into "logtmp.tmp".
    static ArchiverCommand runLogListing(const QString& archive);

    // What goes on standard input for a password: each line ends in "\n". A password cannot hold
    // a line break (it would end the answer early), so everything from the first one is dropped.
    static QByteArray passwordInput(const QString& password, int times);
};

} // namespace ombrix
