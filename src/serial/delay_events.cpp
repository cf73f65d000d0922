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
