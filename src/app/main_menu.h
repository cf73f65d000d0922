// Main-menu commands.
#pragma once
#include <windows.h>

LRESULT MainMenuCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
