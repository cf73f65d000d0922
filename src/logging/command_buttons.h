// The logging window's command buttons: which page shows, which are enabled.
#pragma once
#include <windows.h>

// Shows the command page of a file state (FileStateValue): the File
// buttons, the Run buttons or the Pause button, its first one highlighted.
void ShowCommandPage(int fileState);
// Enables or disables the "&File", "N&ull" and "&Menu" command buttons.
void EnableFileCommands(BOOL fileEnabled, BOOL nullEnabled, BOOL menuEnabled);
