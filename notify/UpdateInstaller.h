#pragma once

#include <QString>

namespace ombrix {

// The installation of a verified update (autoupdate), first thing at start when the update check
// of an earlier run left _new_version.tmp beside the executable.
//
// restart.sh, written into the program folder and started detached, waits for this process to
// end, gives the new file the old executable's mode bits and renames it over the executable (one
// rename in the same folder, so there is never a half-written program), removes itself and
// starts the program again in the same run mode ("-start" for a scheduled run). When the rename
// fails the new file is removed and the old program starts, so a failed installation is never
// retried in a loop.
class UpdateInstaller
{
  public:
    static inline const QString scriptName = QStringLiteral("restart.sh");

    struct Request
    {
        QString executable;     // the running program, links resolved
        QString programFolder;  // where _new_version.tmp and restart.sh lie (the executable's folder)
        bool scheduled = false; // started with -start, and so is the new program
        qint64 awaitPid = 0;    // the process restart.sh waits for first (this one); 0: none
    };

    // Only a portable installation updates itself: the executable lies in the program folder
    // itself, outside the folders a package manager owns (/usr except /usr/local, /bin, /sbin,
    // /lib*, /snap, /nix/store), and both the folder and the executable can be written. An
    // installed package, or a program whose files live elsewhere (OMBRIX_HOME pointing to
    // another folder), only gets the notice.
    static bool maySelfUpdate(const QString& executable, const QString& programFolder);

    // The text of restart.sh for the request.
    static QString restartScript(const Request& request);

    // Writes restart.sh and starts it. True when it runs: this process is then to end at once
    // (the script waits for that). False, with the reason in *error, when the installation may not
    // or cannot happen; the start then goes on with the old program and the file stays.
    static bool autoupdate(const Request& request, QString* error = nullptr);
};

} // namespace ombrix
