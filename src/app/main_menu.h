// Main-menu commands and the launch of a logging run.
#pragma once
#include <windows.h>

LRESULT MainMenuCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
int PrepareMapAndPositionStore();
