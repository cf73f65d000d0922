// The map display options window, still to come: it only closes again.
#include "app/app_state.h"
#include "app/window_handles.h"
#include "app/message_table.h"
#include "gps/map_options_window.h"
#include "logging/log_run.h"
#include "resource_ids.h"

namespace {

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

LRESULT OnMapOptionsInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    if (IsCloseRequest(msg, wParam)) ShowNextWindowAfter(hwnd);
    return 0;
}

const MessageEntry DisplayMapOptionsTable[] = {
    {WM_CREATE, OnPlaceholderCreate},
    {WM_PAINT, OnPlaceholderPaint},
    {WM_COMMAND, OnMapOptionsInput},
    {WM_KEYDOWN, OnMapOptionsInput},
};

} // namespace

DEFINE_TABLE_WNDPROC(DisplayMapOptionsWndProc, DisplayMapOptionsTable)

void CopyMapOptionsToWorking() {}
