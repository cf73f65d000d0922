// The logging window: its message table, layout, panes and command buttons.
#pragma once
#include <windows.h>

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
// Shows the command page of a file state (FileStateValue): the File
// buttons, the Run buttons or the Pause button, its first one highlighted.
void ShowCommandPage(int fileState);
// Enables or disables the "&File", "N&ull" and "&Menu" command buttons.
void EnableFileCommands(BOOL fileEnabled, BOOL nullEnabled, BOOL menuEnabled);
