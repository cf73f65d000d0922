// The map display options window (marker sizes and colours).
#pragma once
#include <windows.h>

LRESULT CALLBACK DisplayMapOptionsWndProc(HWND, UINT, WPARAM, LPARAM);
void CopyMapOptionsToWorking();
