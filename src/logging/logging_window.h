// The logging window: its message table, layout, panes and command buttons.
#pragma once
#include <windows.h>

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
// Enables or disables the "&File", "N&ull" and "&Menu" command buttons.
void EnableFileCommands(BOOL fileEnabled, BOOL nullEnabled, BOOL menuEnabled);
