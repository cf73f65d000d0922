// The GPS side still to come: the monitor's reader (it drains the port so
// that it opens, runs and closes like the real thing), the Monitor GPS and
// map options windows, the map.
#include "app/app_state.h"
#include "app/window_handles.h"
#include "app/message_table.h"
#include "gps/monitor_gps.h"
#include "gps/gps_state.h"
#include "gps/map_view.h"
#include "logging/log_run.h"
#include "resource_ids.h"
#include "serial/serial_ports.h"

MapRecord Map;

namespace {

// Reads the GPS port byte by byte until the port is closed under it.
DWORD DrainGpsPort()
{
    GpsReaderRunning = 1;
    unsigned char byte;
    DWORD got = 0;
    while (hGpsPort != INVALID_HANDLE_VALUE && ReadFile(hGpsPort, &byte, 1, &got, nullptr)) {
        if (got == 0) Sleep(10);
    }
    GpsReaderRunning = 0;
    return 0;
}

void ShowNextWindowAfter(HWND hwnd)
{
    ShowWindow(hwnd, SW_HIDE);
    if (LogRun.Launched == 1 && hLoggingWnd && !IsWindowVisible(hLoggingWnd)) {
        ShowWindow(hLoggingWnd, SW_SHOW);
        SetFocus(hLoggingWnd);
    } else {
        SetFocus(App.hMainWnd);
        InvalidateRect(App.hMainWnd, nullptr, TRUE);
    }
}

void CloseMonitorPort()
{
    if (hGpsPort != INVALID_HANDLE_VALUE) {
        HANDLE port = hGpsPort;
        hGpsPort = INVALID_HANDLE_VALUE;
        CloseHandle(port);
    }
    if (hGpsThread && hGpsThread != INVALID_HANDLE_VALUE) {
        WaitForSingleObject(hGpsThread, 3000);
        CloseHandle(hGpsThread);
        hGpsThread = INVALID_HANDLE_VALUE;
    }
}

LRESULT OnPlaceholderCreate(HWND hwnd, UINT, WPARAM, LPARAM)
{
    CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                    ScaleTrunc(80, Screen.ScaleX), ScaleTrunc(120, Screen.ScaleY),
                    ScaleTrunc(80, Screen.ScaleX), ScaleTrunc(25, Screen.ScaleY), hwnd,
                    (HMENU)IDC_PLACEHOLDER_CLOSE, App.hInstance, nullptr);
    return 0;
}

LRESULT OnPlaceholderPaint(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    wchar_t title[64];
    GetWindowTextW(hwnd, title, 64);
    SetBkMode(hdc, TRANSPARENT);
    TextOutW(hdc, ScaleTrunc(10, Screen.ScaleX), ScaleTrunc(20, Screen.ScaleY), title,
             lstrlenW(title));
    const wchar_t note[] = L"Available in a later version";
    TextOutW(hdc, ScaleTrunc(10, Screen.ScaleX), ScaleTrunc(60, Screen.ScaleY), note,
             lstrlenW(note));
    EndPaint(hwnd, &ps);
    SetFocus(hwnd);
    return 0;
}

bool IsCloseRequest(UINT msg, WPARAM wParam)
{
    if (msg == WM_COMMAND) return LOWORD(wParam) == IDC_PLACEHOLDER_CLOSE;
    return wParam == VK_ESCAPE;
}

LRESULT OnMonitorInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    if (IsCloseRequest(msg, wParam)) {
        CloseMonitorPort();
        ShowNextWindowAfter(hwnd);
    }
    return 0;
}

LRESULT OnMapOptionsInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    if (IsCloseRequest(msg, wParam)) ShowNextWindowAfter(hwnd);
    return 0;
}

const MessageEntry MonitorGpsTable[] = {
    {WM_CREATE, OnPlaceholderCreate},
    {WM_PAINT, OnPlaceholderPaint},
    {WM_COMMAND, OnMonitorInput},
    {WM_KEYDOWN, OnMonitorInput},
};

const MessageEntry DisplayMapOptionsTable[] = {
    {WM_CREATE, OnPlaceholderCreate},
    {WM_PAINT, OnPlaceholderPaint},
    {WM_COMMAND, OnMapOptionsInput},
    {WM_KEYDOWN, OnMapOptionsInput},
};

} // namespace

DEFINE_TABLE_WNDPROC(MonitorGpsWndProc, MonitorGpsTable)
DEFINE_TABLE_WNDPROC(DisplayMapOptionsWndProc, DisplayMapOptionsTable)

DWORD WINAPI GpsMonitorReaderThread(LPVOID) { return DrainGpsPort(); }

void PrepareMapGrid() {}

void CopyMapOptionsToWorking() {}

void UpdateMap(HWND, int32_t, double, double, double, double) {}
