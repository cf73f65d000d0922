// Busy-waits and the request event's set and reset, as the hand-held has them.
#pragma once
#include <windows.h>

// Waits on the tick counter until more than ms milliseconds have passed.
DWORD DelayMs(int ms);
BOOL EventReset(HANDLE h);
BOOL EventSet(HANDLE h);
