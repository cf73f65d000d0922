// The handles of the program's windows below the main window (App.hMainWnd):
// made when the windows are created and read by whoever draws into them or
// sends them messages. A leaf header, so that no folder includes another's
// headers only to reach a window.
#pragma once
#include <windows.h>

extern HWND hLoggingWnd;
extern HWND hCurveWnd, hSpeedbarWnd, hBarsWnd, hBarQWnd, hBarIWnd;
extern HWND hMonitorGpsWnd, hDisplayMapOptionsWnd;
// The profile display options window while it is open.
extern HWND hDisplayOptionsWnd;
