#pragma once

namespace ombrix::app {

// The exit codes of the ombrix process, for whoever started it (cron, a systemd timer, a script).
// An interactive run that is ended by closing its window ends with Completed.
namespace ExitCode {

// The run completed, or found nothing to do.
inline constexpr int Completed = 0;
// The run completed with warnings: something was logged and left out (log.txt says what).
inline constexpr int Warnings = 1;
// The run did not complete: it was interrupted, the destination could not be reached, the source
// list or the last set's catalog is unusable, a restore is pending, or the program folder cannot
// be written.
inline constexpr int NotCompleted = 2;
// Another instance from the same program folder runs; this one ended before doing anything.
inline constexpr int AnotherInstance = 3;

} // namespace ExitCode
} // namespace ombrix::app
