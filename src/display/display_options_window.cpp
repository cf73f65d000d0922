// The profile display options window: which channels are drawn and whether
// the profiles are linear or compressed. OK stores, saves and redraws;
// Cancel changes nothing.
#include "display/display_state.h"
#include "display/gdi_objects.h"
#include "display/pane_windows.h"
#include "display/profile_pane.h"
#include "display/profile_replay.h"
#include "display/display_options_window.h"
#include "app/app_state.h"
#include "app/message_table.h"
#include "app/window_handles.h"
#include "settings/config_file.h"
#include "settings/settings.h"

enum {
    ID_SHOW_CHANNEL = 601, // 601..604
    ID_LINEAR = 611,
    ID_COMPRESSED = 612,
    ID_OK = 621,
    ID_CANCEL = 622,
};

static int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
static int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

static HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x,
                       int y, int w, int h, int id)
{
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, sx(x), sy(y), sx(w),
                                   sy(h), parent, (HMENU)(INT_PTR)id, App.hInstance, nullptr);
    if (Font.Normal) SendMessageW(control, WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    return control;
}

static LRESULT CreateOptionControls(HWND hwnd, UINT, WPARAM, LPARAM)
{
    static const wchar_t* const names[4] = {L"Channel &1", L"Channel &2", L"Channel &3",
                                            L"Channel &4"};
    AddControl(hwnd, L"STATIC", L"Channels shown:", SS_LEFT, 10, 8, 200, 16, -1);
    for (int i = 0; i < 4; ++i) {
        HWND box = AddControl(hwnd, L"BUTTON", names[i], BS_AUTOCHECKBOX | WS_TABSTOP, 20,
                              28 + 20 * i, 150, 18, ID_SHOW_CHANNEL + i);
        SendMessageW(box, BM_SETCHECK, Settings.ChannelShown[i] == 1 ? BST_CHECKED : BST_UNCHECKED,
                     0);
    }
    HWND linear =
        AddControl(hwnd, L"BUTTON", L"Linear Profiles", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                   20, 116, 180, 18, ID_LINEAR);
    HWND compressed = AddControl(hwnd, L"BUTTON", L"Compressed Profiles", BS_AUTORADIOBUTTON, 20,
                                 136, 180, 18, ID_COMPRESSED);
    SendMessageW(Settings.CompressedProfiles == 1 ? compressed : linear, BM_SETCHECK, BST_CHECKED,
                 0);
    AddControl(hwnd, L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 20, 170, 70, 22,
               ID_OK);
    AddControl(hwnd, L"BUTTON", L"&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 110, 170, 70, 22,
               ID_CANCEL);
    return 0;
}

static void CloseOptions(HWND hwnd)
{
    DestroyWindow(hwnd);
    if (hLoggingWnd && IsWindowVisible(hLoggingWnd))
        SetFocus(hLoggingWnd);
    else if (App.hMainWnd)
        SetFocus(App.hMainWnd);
}

static void AcceptOptions(HWND hwnd)
{
    for (int i = 0; i < 4; ++i)
        Settings.ChannelShown[i] =
            SendDlgItemMessageW(hwnd, ID_SHOW_CHANNEL + i, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Settings.CompressedProfiles =
        SendDlgItemMessageW(hwnd, ID_COMPRESSED, BM_GETCHECK, 0, 0) == BST_CHECKED;
    AccessConfigFile(CONFIG_SAVE);
    CreateSharedPensAndBrushes();
    RebuildPaneScales();
    // Rows change with the compression: profiles and bars start anew.
    ResetPaneRunState();
    CloseOptions(hwnd);
    if (hLoggingWnd && IsWindowVisible(hLoggingWnd)) {
        if (hBarsWnd) InvalidateRect(hBarsWnd, nullptr, TRUE);
        ReplayProfilesFromFile();
    }
}

static LRESULT HandleOptionCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case ID_OK: AcceptOptions(hwnd); break;
    case ID_CANCEL: CloseOptions(hwnd); break;
    }
    return 0;
}

static LRESULT HandleOptionKey(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    if (wParam == L'\r' || wParam == L'o' || wParam == L'O')
        AcceptOptions(hwnd);
    else if (wParam == 27 || wParam == L'c' || wParam == L'C')
        CloseOptions(hwnd);
    return 0;
}

static LRESULT PaintOptionBackground(HWND, UINT, WPARAM, LPARAM)
{
    return (LRESULT)GetStockObject(LTGRAY_BRUSH);
}

static const MessageEntry DisplayOptionsMessages[] = {
    {WM_CREATE, CreateOptionControls},
    {WM_COMMAND, HandleOptionCommand},
    {WM_CHAR, HandleOptionKey},
    {WM_CTLCOLORSTATIC, PaintOptionBackground},
};

DEFINE_TABLE_WNDPROC(DisplayOptionsWndProc, DisplayOptionsMessages)
