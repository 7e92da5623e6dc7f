#pragma once

namespace ombrix::platform {

// Exit flags of a power-off request: power off (8) and forced (4), as the backup run asks for.
inline constexpr int powerOffForced = 12;

// Asks the system to switch the computer off (systemd-logind through "systemctl poweroff").
// Returns true when the request was accepted. OMBRIX_POWEROFF_COMMAND, when set, names a
// program to run instead (for tests of the code around it).
bool WindowsExit(int rebootParam);

} // namespace ombrix::platform
