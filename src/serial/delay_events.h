// Busy-waits and the request event's set and reset, as the hand-held has them.
#pragma once
#include <windows.h>

// Waits on the tick counter until more than ms milliseconds have passed.
DWORD DelayMs(int ms);
BOOL EventReset(HANDLE h);
BOOL EventSet(HANDLE h);
// Waits for h on the window thread while serving what other threads send
// to its windows (a reader waiting in SendMessageW would otherwise wait for
// us as we wait for it). Returns WAIT_OBJECT_0 or WAIT_TIMEOUT.
DWORD WaitServingSentMessages(HANDLE h, DWORD timeoutMs);
