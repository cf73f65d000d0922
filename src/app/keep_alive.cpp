// Idle keep-alive thread: resets the system idle timer every 59 s until
// the Exit command clears App.KeepAliveRunning. Never waited for.
#include "app/keep_alive.h"
#include "app/app_state.h"
#include "platform/ce_compat.h"

DWORD WINAPI KeepAliveThread(LPVOID)
{
    while (App.KeepAliveRunning > 0) {
        CeSystemIdleTimerReset();
        Sleep(59000);
    }
    return 0;
}
