// Timer 1 of the logging window started and stopped. Kept apart from the
// watchdog itself so the run's teardown can stop it without needing the
// watchdog, which in turn tears the run down.
#include "logging/watchdog_timer.h"
#include "app/window_handles.h"
#include "logging/log_run.h"
#include "instrument/acq.h"
#include "settings/settings.h"
#include "platform/ce_compat.h"

void StartWatchdogTimer(int recording)
{
    int period = Acq.PolledMode != 1 ? STREAM_TIMEOUT_MS
                 : recording         ? Settings.ReadingIntervalMs
                                     : Timing.StandbyPollMs;
    SetTimer(hLoggingWnd, IDT_WATCHDOG, (UINT)period, NULL);
}

void StopWatchdogTimer() { KillTimer(hLoggingWnd, IDT_WATCHDOG); }
