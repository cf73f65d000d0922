// Timer 1 of the logging window: the polled instrument's frame requests
// and the connection watchdog, with its reconnection and give-up.
#pragma once
#include <windows.h>

LRESULT HandleConnectionWatchdog(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
