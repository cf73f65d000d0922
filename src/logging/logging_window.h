// The logging window: its message table, layout, panes and the creation of
// its command buttons.
#pragma once
#include <windows.h>

LRESULT CALLBACK LoggingWndProc(HWND, UINT, WPARAM, LPARAM);
