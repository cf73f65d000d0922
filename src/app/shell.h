// Soft-input-panel button and keyboard helpers used around entry dialogs.
#pragma once
#include <windows.h>

void ShowSipButton(int show);
void SetSipState(HWND window, int up);
