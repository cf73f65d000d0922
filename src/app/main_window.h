// The main window (class "EM61"): creation, resize, destruction.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
