// Soft-input-panel button and keyboard helpers used around entry dialogs.
#pragma once
#include <windows.h>

void ShowSipButton(int show);
void SetSipState(HWND window, int up);
// The main window takes the keyboard focus when it paints; a child window
// shown over it (Monitor GPS, the map options) takes it back, unless one
// of the program's dialogs is up.
void ReclaimKeyboardFocus(HWND child);
