// The logging window: run state machine, commands, watchdog and teardown.
#pragma once
#include <windows.h>

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
int StopLogging(int force);
// Enables or disables the "&File", "N&ull" and "&Menu" command buttons.
void EnableFileCommands(BOOL fileEnabled, BOOL nullEnabled, BOOL menuEnabled);

// Handlers of the logging window's message table, one file each.
LRESULT HandleLoggingCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT HandleLoggingKeyUp(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT HandleConnectionWatchdog(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
