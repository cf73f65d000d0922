// Timer 1 of the logging window: requests the frames of a polled
// instrument and watches the connection; a lost instrument is reconnected
// a few times and then the run is given up.
#include "logging/connection_watchdog.h"
#include "app/window_handles.h"
#include "logging/stop_logging.h"
#include "logging/watchdog_timer.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "app/app_state.h"
#include "app/diagnostics.h"
#include "display/status_paint.h"
#include "gps/gps_state.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_readers.h"
#include "serial/serial_ports.h"
#include "serial/probe.h"
#include "serial/delay_events.h"
#include "settings/settings.h"
#include "platform/ce_compat.h"

enum {
    STREAM_GIVE_UP_MISSES = 2,
    POLLED_GIVE_UP_MISSES = 6,
    STALL_GRACE_MS = 250,
};

static void DrawConnectionFields(const wchar_t* first, const wchar_t* second)
{
    HDC hdc = GetDC(hLoggingWnd);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ old = SelectObject(hdc, Font.Bold);
    DrawReadout(hdc, Layout.Conn1Rect, first);
    DrawReadout(hdc, Layout.Conn2Rect, second);
    SelectObject(hdc, old);
    ReleaseDC(hLoggingWnd, hdc);
}

static void SendInstrumentRequest(DWORD now)
{
    PurgeComm(hInstrumentPort, PURGE_TXCLEAR);
    PurgeComm(hInstrumentPort, PURGE_RXCLEAR);
    TransmitCommChar(hInstrumentPort, 'A');
    EventSet(Acq.hEvent);
    Acq.FrameReceived = 0;
    Acq.LastDataTick = now;
}

static void Reconnect()
{
    StopWatchdogTimer();
    if (LogRun.FileState != FILE_NONE) WriteTextRecord(L"$CONN BREAK", 'X');
    // Closing the port first makes the reader fail its next read and end.
    CloseHandle(hInstrumentPort);
    hInstrumentPort = INVALID_HANDLE_VALUE;
    if (Acq.PolledMode == 1) EventSet(Acq.hEvent);
    CloseHandle(hInstrumentThread);

    DelayMs(200);
    DrawConnectionFields(L"   PLEASE", L"   WAIT...");
    LogRun.Mode = RUN_MODE_WATCHED;

    // The next time-outs judge whether the port and the probe worked.
    OpenInstrumentPort();
    ProbeInstrument(Acq.RateChar, 'X', 0);
    hInstrumentThread = StartInstrumentReader();

    if (Acq.PolledMode == 1) Acq.FrameReceived = 1;
    StartWatchdogTimer(LogRun.FileState == FILE_RECORDING);
    if (Acq.PolledMode != 1) {
        HDC hdc = GetDC(hLoggingWnd);
        FillRect(hdc, &Layout.Conn1Rect, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
        ReleaseDC(hLoggingWnd, hdc);
    }
    SetFocus(hLoggingWnd);
}

// Dialogs that may still be open when the run is given up, by caption.
static void CloseOpenDialogs()
{
    static const struct {
        const wchar_t* Caption;
        UINT Message;
    } dialogs[] = {
        {L"Create Data File", WM_CLOSE}, {L"Confirm Exit", WM_DESTROY},
        {L"Enter Scale", WM_CLOSE},      {L"New Line", WM_CLOSE},
        {L"New Station", WM_CLOSE},      {L"Enter Comment", WM_CLOSE},
    };
    for (const auto& d : dialogs) {
        HWND w = FindWindowW(NULL, d.Caption);
        if (w != NULL) SendMessageW(w, d.Message, 0, 0);
    }
    HWND options = FindWindowW(NULL, L"Display Options");
    if (options != NULL) ShowWindow(options, SW_HIDE);
}

static void GiveUp()
{
    LogView.LiveDraw = 0;
    StopWatchdogTimer();
    if (LogRun.FileState != FILE_NONE) WriteTextRecord(L"$CONN END  ", 'X');
    if (Settings.GpsEnabled == 1) {
        if (hGpsPort != INVALID_HANDLE_VALUE) CloseHandle(hGpsPort);
        hGpsPort = INVALID_HANDLE_VALUE;
        if (hGpsThread != INVALID_HANDLE_VALUE && hGpsThread != NULL) CloseHandle(hGpsThread);
        hGpsThread = INVALID_HANDLE_VALUE;
    }
    DrawConnectionFields(L"", L"");
    MessageBoxW(hLoggingWnd, L"NO CONNECTION Press <ENTER> to STOP", L"NO CONNECTION",
                MB_ICONEXCLAMATION);
    CloseOpenDialogs();
    StopLogging(1);
}

static void CountMiss(int giveUpAt)
{
    LogRun.Mode = RUN_MODE_LOST;
    Acq.MissedPolls += 1;
    if (Acq.MissedPolls >= giveUpAt)
        GiveUp();
    else
        Reconnect();
}

// Tick of the previous timer run. When this thread itself was held up
// (a dialog being built, a busy-wait), the reader's frame may still be
// waiting in its SendMessageW: that is no lost connection, so the next
// regular tick judges instead.
static DWORD LastWatchdogRun;

static int UiThreadWasStalled(DWORD now)
{
    int32_t period = Acq.PolledMode != 1                  ? STREAM_TIMEOUT_MS
                     : LogRun.FileState == FILE_RECORDING ? Settings.ReadingIntervalMs
                                                          : Timing.StandbyPollMs;
    int32_t gap = (int32_t)(now - LastWatchdogRun);
    LastWatchdogRun = now;
    if (gap <= period + STALL_GRACE_MS) return 0;
    MSG msg;
    PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return 1;
}

LRESULT HandleConnectionWatchdog(HWND, UINT, WPARAM, LPARAM)
{
    DiagnosticsTick();
    if (Settings.InstrumentEnabled != 1 || LogRun.Mode != RUN_MODE_WATCHED) return 0;
    DWORD now = CeGetTickCount();
    int stalled = UiThreadWasStalled(now);
    int32_t sinceData = (int32_t)(now - Acq.LastDataTick);
    if (Acq.PolledMode != 1) {
        if (sinceData > STREAM_TIMEOUT_MS && !stalled) CountMiss(STREAM_GIVE_UP_MISSES);
    } else if (Acq.FrameReceived == 1) {
        SendInstrumentRequest(now);
    } else if (sinceData > Timing.PollTimeoutMs && !stalled) {
        EventReset(Acq.hEvent);
        CountMiss(POLLED_GIVE_UP_MISSES);
    }
    LastWatchdogRun = CeGetTickCount();
    return 0;
}
