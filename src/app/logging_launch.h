// Launch of a logging run from the main menu.
#pragma once
#include <windows.h>

void LaunchLogging(HWND hwnd);
