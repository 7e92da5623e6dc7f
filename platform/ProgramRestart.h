#pragma once

#include <QString>

namespace ombrix::platform {

// Starting the program afresh after attaching to an archive chain: restart.sh, written into the
// program folder and started detached, starts the same executable (by its real path, without
// arguments) in its own session and removes itself. The new instance finds the script at its
// start, so it waits for the single-instance lock of the one that wrote it (which closes its
// window right after this call) and then deletes the script during its start-up. A script the new
// instance never got to (it ended because the old one kept running) is removed by the script
// itself after keepSeconds.
struct RestartRequest
{
    QString executable;    // the running program, links resolved
    QString programFolder; // where restart.sh is written and the program is started
    int keepSeconds = 15;  // how long the script waits for the new instance to delete it
};

inline const QString restartScriptName = QStringLiteral("restart.sh");

// The text of restart.sh for the request.
QString restartScript(const RestartRequest& request);

// Writes restart.sh and starts it without waiting (restartProgram). False, with the reason in
// *error, when it cannot be written or started; no script is left behind then. The caller then
// flushes the configuration and closes the main window.
bool restartProgram(const RestartRequest& request, QString* error = nullptr);

} // namespace ombrix::platform
