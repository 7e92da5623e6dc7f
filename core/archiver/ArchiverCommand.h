#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ombrix {

// One run of the archiver as the program builds it: the arguments (given to the program one by
// one, never through a shell), the file its standard output goes to, and what it reads from
// standard input. The archive password travels on standard input only: a command line can be
// read by every user of the machine (/proc/<pid>/cmdline), standard input cannot.
struct ArchiverCommand
{
    QStringList arguments;
    // Bare name of the file in the program folder that receives the output ("testzip.tmp",
    // "passtmp.tmp", "logtmp.tmp"); empty when the output is not looked at.
    QString outputFile;
    // The error stream goes into the output file as well: the archiver reports an archive it
    // cannot open because of the password only there.
    bool includeErrors = false;
    // Password lines for the archiver's password prompt; empty when none is fed.
    QByteArray standardInput;
};

} // namespace ombrix
