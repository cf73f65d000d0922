// Registration of every window class of the program.
#pragma once
#include <windows.h>

// 0 when all classes are registered; 1 when the main class failed, 2 when
// any other class failed (registration stops at the first failure).
int RegisterWindowClasses(HINSTANCE instance);

// ChooseColor entry looked up when the option window classes are
// registered; NULL when there is no colour chooser. Signature:
// BOOL WINAPI (CHOOSECOLORW*).
extern FARPROC ChooseColorEntry;
// Lets the operator choose a colour starting from *colour; 1 when one was
// chosen (and stored in *colour), 0 when cancelled or there is no chooser.
int ChooseColourFor(HWND owner, COLORREF* colour);
