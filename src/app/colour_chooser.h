// The system's colour chooser, used by the option windows.
#pragma once
#include <windows.h>

// ChooseColor entry looked up when the option window classes are
// registered; NULL when there is no colour chooser. Signature:
// BOOL WINAPI (CHOOSECOLORW*).
extern FARPROC ChooseColorEntry;
// Lets the operator choose a colour starting from *colour; 1 when one was
// chosen (and stored in *colour), 0 when cancelled or there is no chooser.
int ChooseColourFor(HWND owner, COLORREF* colour);
