// Timer 1 of the logging window: the polled instrument's frame requests
// and the connection watchdog, with its reconnection and give-up.
#pragma once
#include <windows.h>

LRESULT HandleConnectionWatchdog(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Starts timer 1 at the period the state needs: the reading interval while
// a polled instrument records in Auto mode, 70 ms for a polled instrument
// otherwise, the 1000 ms time-out of a streaming one.
void StartWatchdogTimer(int recording);
void StopWatchdogTimer();
