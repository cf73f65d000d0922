// The handles of the program's windows below the main window.
#include "app/window_handles.h"

HWND hLoggingWnd = NULL;
HWND hCurveWnd = NULL, hSpeedbarWnd = NULL, hBarsWnd = NULL, hBarQWnd = NULL, hBarIWnd = NULL;
HWND hMonitorGpsWnd = NULL, hDisplayMapOptionsWnd = NULL;
HWND hDisplayOptionsWnd = NULL;
