// Teardown of a logging run: totals, ports and reader threads, the data
// file, and back to the main menu (or the end of the program).
#include "logging/stop_logging.h"
#include "app/window_handles.h"
#include "logging/command_buttons.h"
#include "logging/watchdog_timer.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "app/app_state.h"
#include "map/external_positions.h"
#include "gps/gps_fix.h"
#include "gps/gps_reader.h"
#include "gps/gps_state.h"
#include "instrument/acq.h"
#include "instrument/reading_handler.h"
#include "serial/serial_ports.h"
#include "serial/delay_events.h"
#include "settings/settings.h"
#include "platform/ce_compat.h"
#include <cwchar>

enum { GPS_READER_WAIT_MS = 5001 };

// Closing the port ends the GPS reader; it is the only reader waited for.
static void StopGpsInput()
{
    if (Settings.GpsEnabled != 1 || hGpsPort == INVALID_HANDLE_VALUE) return;
    CloseHandle(hGpsPort);
    hGpsPort = INVALID_HANDLE_VALUE;
    // The reader may be handing a sentence over right now: serve it while
    // waiting, or both would wait the whole time out.
    if (hGpsThread != INVALID_HANDLE_VALUE && hGpsThread != NULL)
        WaitServingSentMessages(hGpsThread, GPS_READER_WAIT_MS);
    if (hGpsThread != INVALID_HANDLE_VALUE && hGpsThread != NULL) CloseHandle(hGpsThread);
    hGpsThread = INVALID_HANDLE_VALUE;
}

static void CloseThreadHandle(HANDLE* h)
{
    if (*h != NULL && *h != INVALID_HANDLE_VALUE) CloseHandle(*h);
    *h = NULL;
}

// The port is closed first: a reader blocked in ReadFile or on the request
// event then fails, sees the closed port and ends by itself; only then are
// the thread handles let go. The wheel reader was created suspended and is
// suspended again outside Wheel recording, so it is resumed here in both
// modes to run into the closed port; the polled or stream reader is resumed
// too in case Wheel recording had suspended it. Resuming a thread that is
// not suspended does nothing.
static void StopInstrumentInput()
{
    if (Settings.InstrumentEnabled != 1) return;
    StopWatchdogTimer();
    if (hInstrumentPort != INVALID_HANDLE_VALUE) {
        CloseHandle(hInstrumentPort);
        hInstrumentPort = INVALID_HANDLE_VALUE;
    }
    if (Acq.PolledMode == 1 && Acq.hEvent != NULL) EventSet(Acq.hEvent);
    if (hInstrumentThread != NULL && hInstrumentThread != INVALID_HANDLE_VALUE)
        ResumeThread(hInstrumentThread);
    if (hWheelReaderThread != NULL && hWheelReaderThread != INVALID_HANDLE_VALUE)
        ResumeThread(hWheelReaderThread);
    CloseThreadHandle(&hWheelReaderThread);
    CloseThreadHandle(&hInstrumentThread);
}

static void ResetRunValues()
{
    if (LogRun.hDataFile != INVALID_HANDLE_VALUE) CloseHandle(LogRun.hDataFile);
    LogRun.FileState = FILE_NONE;
    LogRun.hDataFile = INVALID_HANDLE_VALUE;
    Acq.RefIndex = 0;
    GpsFix.Valid = 0;
    GpsLog.FixCount = 0;
    GpsLog.PositionCount = 0;
    ResetReadingHandlerRunFlags();
    ResetGpsRunValues();
}

static void FinishTeardown()
{
    LogRun.Active = 0;
    ResetRunValues();
    ShowCommandPage(FILE_NONE);
    InvalidateRect(hLoggingWnd, NULL, TRUE);
    LogRun.Launched = 0;
    // The GPS position store stays allocated: the next launch reuses it.
    RemoveExternalPositions();
    LogView.LiveDraw = 1;
    ShowWindow(hLoggingWnd, SW_HIDE);
}

int StopLogging(int force)
{
    if (LogRun.FileState == FILE_NONE) {
        LogRun.Stopped = 1;
        StopGpsInput();
        StopInstrumentInput();
        FinishTeardown();
        return 1;
    }

    if (force == 0 && MessageBoxW(hLoggingWnd, L"Exit Logging?", L"Confirm Exit",
                                  MB_YESNO | MB_ICONQUESTION) != IDYES) {
        // The profile pane's paint replays the profiles from the file.
        InvalidateRect(hCurveWnd, NULL, TRUE);
        InvalidateRect(hBarsWnd, NULL, TRUE);
        UpdateWindow(hCurveWnd);
        SetFocus(hLoggingWnd);
        return 0;
    }

    LogRun.Stopped = 1;
    // Nothing is recorded from here on: a sentence or reading the readers
    // hand over while their ports close would land behind the totals.
    LogRun.FileState = FILE_NONE;
    // After a failed write the totals get one more try: the operator may
    // have made room since. A failure is told after the teardown.
    ResumeDataFileWrites();
    WriteRunTotals();
    LogRun.Active = 0;
    StopGpsInput();
    StopInstrumentInput();
    FinishTeardown();
    if (force == 0) return 1;
    SendMessageW(App.hMainWnd, WM_CLOSE, 0, 0);
    ExitProcess(0);
    return 0;
}
