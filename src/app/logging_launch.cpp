// The "&Logging" command: port checks, instrument probe, reader threads,
// GPS position store and GPS port, then the logging window.
#include "app/logging_launch.h"
#include "app/window_handles.h"
#include "app/app_state.h"
#include "app/position_store.h"
#include "app/uptime_stop.h"
#include "display/profile_pane.h"
#include "display/status_paint.h"
#include "gps/gps_fix.h"
#include "gps/gps_reader.h"
#include "gps/gps_state.h"
#include "map/map_view.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_readers.h"
#include "instrument/reading_handler.h"
#include "logging/log_run.h"
#include "logging/watchdog_timer.h"
#include "logging/command_buttons.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "serial/probe.h"
#include "serial/delay_events.h"
#include "settings/derived_values.h"
#include "settings/settings.h"
#include <cstdlib>
#include <cwchar>

namespace {

void ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    MessageBoxW(owner, text, caption, flags);
}

void Repaint(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

void ResetRunValues()
{
    ResetReadingHandlerRunFlags();
    if (Settings.InstrumentEnabled == 1)
        EnableFileCommands(FALSE, FALSE, FALSE);
    else
        EnableFileCommands(TRUE, FALSE, TRUE);
    GpsFix.Pdop = -2.0f; // no PDOP received yet
    InitStatusArea(hLoggingWnd);
    LogRun.Station = Settings.StartStation;
}

// Returns 1 when the instrument answered and its readers run.
int StartInstrument(HWND hwnd)
{
    if (!OpenInstrumentPort()) {
        ShowMessage(hwnd, L"Cannot open EM61-MK2 port", L"Serial Port", MB_OK);
        LogRun.Active = 0;
        Repaint(hwnd);
        return -1;
    }
    Acq.Connected = ProbeInstrument('H', 'X', 0);
    if (Acq.Connected != 1) {
        ShowMessage(hwnd, L"Instrument OFF or Disconnected", L"Connection", MB_OK);
        CloseHandle(hInstrumentPort);
        hInstrumentPort = INVALID_HANDLE_VALUE;
        LogRun.Active = 0;
        Repaint(hwnd);
        return 0;
    }
    DelayMs(100);
    ResetAcquisitionForRun(); // normalising from the first frame on
    if (Acq.PolledMode == 1) {
        CreateRequestEvent();
        Acq.FrameReceived = 1;
    }
    Acq.LastDataTick = CeGetTickCount();
    hInstrumentThread = StartInstrumentReader();
    hWheelReaderThread =
        CreateThread(nullptr, 0, Em61Mk2WheelReader, nullptr, CREATE_SUSPENDED, nullptr);
    StartWatchdogTimer(0);
    DelayMs(50);
    LogRun.Launched = 1;
    EnableFileCommands(FALSE, FALSE, FALSE);
    ShowWindow(hLoggingWnd, SW_SHOW);
    return 1;
}

void StartGps(HWND hwnd)
{
    int r = PrepareMapAndPositionStore();
    if (r > 6) {
        wchar_t text[80];
        swprintf(text, 80, L"%ls\r\n", L"Not enough memory to run this program");
        ShowMessage(hwnd, text, L"PROGRAM STOP", MB_ICONEXCLAMATION);
        SendMessageW(App.hMainWnd, WM_CLOSE, 0, 0);
        ExitProcess(0);
    }
    if (r >= 1) {
        wchar_t text[120];
        swprintf(text, 120, L"%ls %ld\r\n(%3.1f%ls", L"Max Number of Positions:",
                 (long)GpsLog.MaxPositions, 4.0 - 0.5 * r, L" hours at 1 position/s)");
        ShowMessage(hwnd, text, L"WARNING", MB_ICONEXCLAMATION);
    }
    int ok = OpenGpsPort(); // shows its own message on failure
    GpsFix.Valid = 0;
    ResetGpsRunValues();
    if (ok) {
        LPTHREAD_START_ROUTINE reader =
            (Settings.GpsType < 8) ? NmeaReaderThread : TotalStationReader;
        hGpsThread = CreateThread(nullptr, 0, reader, nullptr, 0, nullptr);
    }
}

void FinishLaunch()
{
    LogRun.Stopped = 0;
    ResetPaneRunState();
    const HWND panes[] = {hCurveWnd, hBarsWnd, hBarQWnd, hBarIWnd, hSpeedbarWnd};
    for (HWND pane : panes) {
        if (pane) InvalidateRect(pane, nullptr, TRUE);
    }
    StampGpsTimes(CeGetTickCount());
}

// QOR_MAX_POSITIONS (tools/qor-run --max-positions) shrinks the store so
// that its full-store stop can be tried without walking for hours.
void ApplyStoreLimitFromEnvironment()
{
    char text[16];
    const DWORD n = GetEnvironmentVariableA("QOR_MAX_POSITIONS", text, sizeof text);
    const long limit = (n > 0 && n < sizeof text) ? std::strtol(text, nullptr, 10) : 0;
    if (limit > 0 && limit < GpsLog.MaxPositions) {
        GpsLog.MaxPositions = (int32_t)limit;
        GpsLog.Capacity = GpsLog.MaxPositions + POSITION_STORE_SPARE;
    }
}

// The store and, with it, the map's track pixels: 24 bytes a position.
bool AllocatePositionStore()
{
    const size_t n = (size_t)GpsLog.Capacity;
    Map.Track.X = (int32_t*)malloc(n * sizeof(int32_t));
    Map.Track.Y = (int32_t*)malloc(n * sizeof(int32_t));
    GpsLog.StoreEasting = (double*)malloc(n * sizeof(double));
    GpsLog.StoreNorthing = (double*)malloc(n * sizeof(double));
    if (Map.Track.X && Map.Track.Y && GpsLog.StoreEasting && GpsLog.StoreNorthing) {
        GpsLog.StoreAllocated = 1;
        return true;
    }
    free(Map.Track.X);
    free(Map.Track.Y);
    free(GpsLog.StoreEasting);
    free(GpsLog.StoreNorthing);
    Map.Track.X = Map.Track.Y = nullptr;
    GpsLog.StoreEasting = GpsLog.StoreNorthing = nullptr;
    return false;
}

} // namespace

int PrepareMapAndPositionStore()
{
    int r = 0;
    if (Settings.GpsEnabled == 1 && GpsLog.StoreAllocated == 0) {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof(status);
        CeGlobalMemoryStatus(&status);
        r = SizePositionStore(status.dwAvailPhys, &GpsLog.MaxPositions, &GpsLog.Capacity);
        if (r > 6) return r;
        ApplyStoreLimitFromEnvironment();
        // A failed allocation is the same as not fitting at all.
        if (!AllocatePositionStore()) return 7;
    }

    ResetMapForRun();
    ComputeSpeedScaleValues();
    if (Settings.MapGridInterval > 0) SetupMapGrid();
    SetOffsetMode(&GpsLog.Offset, Settings.GpsOffsetY);
    return r;
}

void LaunchLogging(HWND hwnd)
{
    if (UptimeExceeded(CeGetTickCount())) StopForUptime(hwnd, L"STOP");

    ResetRunValues();
    if (Settings.GpsEnabled == 0 && Settings.InstrumentEnabled == 0) {
        ShowMessage(hwnd, L"Instrument Disabled and GPS Disabled", L"Not Possible to Get Anything",
                    MB_ICONEXCLAMATION);
        return;
    }
    if (Settings.GpsEnabled && Settings.InstrumentEnabled &&
        Settings.InstrumentPort == Settings.GpsPort) {
        ShowMessage(hwnd, L"Same Port Assigned for Instrument and GPS", L"Serial Port", MB_OK);
        FinishLaunch();
        return;
    }

    LogRun.Mode = RUN_MODE_WATCHED;
    LogRun.Active = 1;
    if (Settings.OutputEnabled == 1 && !OpenOutputPort()) {
        ShowMessage(hwnd, L"Cannot open Output port", L"Serial Port", MB_OK);
        LogRun.Active = 0; // nothing runs: the menu keys must work again
        return;
    }

    int launched;
    if (Settings.InstrumentEnabled != 1) {
        // GPS-only run.
        LogRun.Launched = 1;
        ShowWindow(hLoggingWnd, SW_SHOW);
        launched = 1;
    } else {
        launched = StartInstrument(hwnd);
        if (launched < 0) return;
    }
    if (launched == 1 && Settings.GpsEnabled == 1) StartGps(hwnd);
    FinishLaunch();
}
