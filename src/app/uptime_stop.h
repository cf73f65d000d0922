// The hand-held's clock drifts after 20 days of uptime; the program then
// refuses to go on and asks for a restart.
#pragma once
#include <windows.h>

enum : DWORD { UPTIME_LIMIT_MS = 1728000000u }; // 20 days

inline bool UptimeExceeded(DWORD tick) { return tick > UPTIME_LIMIT_MS; }

// Shows the restart request (owner, caption), closes the main window and
// ends the process with exit code 0.
void StopForUptime(HWND owner, const wchar_t* caption);
