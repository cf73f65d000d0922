// The profile display options window (channels, colours, widths, scale).
#pragma once
#include <windows.h>

LRESULT CALLBACK DisplayOptionsWndProc(HWND, UINT, WPARAM, LPARAM);
