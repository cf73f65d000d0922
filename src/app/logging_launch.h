// Launch of a logging run from the main menu.
#pragma once
#include <windows.h>

void LaunchLogging(HWND hwnd);
// Map geometry and, when GPS is on and there is none yet, the position
// store sized to free memory. Returns 0, 1..6 steps of a smaller store, or
// 7 and more when none fits.
int PrepareMapAndPositionStore();
