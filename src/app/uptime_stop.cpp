// The 20-day uptime stop shared by the first paint and the Logging command.
#include "app/uptime_stop.h"
#include "app/app_state.h"
#include <cwchar>

void StopForUptime(HWND owner, const wchar_t* caption)
{
    wchar_t text[300];
    swprintf(text, 300, L"%ls\r\n%ls\r\n%ls\r\n%ls\r\n%ls",
             L"Windows has run for more than 20 days.", L"To assure accurate clock operation",
             L"please restart the system.", L"Press and hold On/Off key till blue screen",
             L"and \"Warm Reset Detected\" is displayed.");
    MessageBoxW(owner, text, caption, MB_ICONEXCLAMATION);
    SendMessageW(App.hMainWnd, WM_CLOSE, 0, 0);
    ExitProcess(0);
}
