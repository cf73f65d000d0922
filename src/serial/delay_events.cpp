#include "platform/ce_compat.h"
#include "serial/delay_events.h"

// Busy-waits until more than ms milliseconds have passed; the short waits
// between serial commands must not let other messages run.
DWORD DelayMs(int ms)
{
    const DWORD start = CeGetTickCount();
    DWORD now;
    do {
        now = CeGetTickCount();
    } while (static_cast<LONG>(now - start) <= ms);
    return now;
}

BOOL EventReset(HANDLE h) { return CeEventModify(h, CE_EVENT_RESET); }

BOOL EventSet(HANDLE h) { return CeEventModify(h, CE_EVENT_SET); }

DWORD WaitServingSentMessages(HANDLE h, DWORD timeoutMs)
{
    const DWORD start = CeGetTickCount();
    for (;;) {
        const DWORD spent = CeGetTickCount() - start;
        const DWORD left = spent >= timeoutMs ? 0 : timeoutMs - spent;
        const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return r;
        MSG msg; // only messages other threads sent: the queue stays as it is
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
