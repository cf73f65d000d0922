// The main window: screen set-up, settings load, hidden child windows and
// the nine main-menu buttons.
#include "app/main_window.h"
#include "gps/utm.h"
#include "app/window_handles.h"
#include "app/app_state.h"
#include "app/keep_alive.h"
#include "app/main_menu.h"
#include "app/message_table.h"
#include "app/screen_geometry.h"
#include "app/shell.h"
#include "app/uptime_stop.h"
#include "display/display_state.h"
#include "display/gdi_objects.h"
#include "display/pane_windows.h"
#include "gps/gps_reader.h"
#include "map/map_view.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "settings/config_file.h"
#include "settings/derived_values.h"
#include "settings/settings.h"
#include <cwchar>

namespace {

struct MenuButtonEntry {
    int Id;
    const wchar_t* Text;
    int Indent; // bows the column outwards in the middle
};

const MenuButtonEntry MenuButtons[9] = {
    {IDC_MENU_LOGGING, L"&Logging", 0},
    {IDC_MENU_SURVEY_SETUP, L"&Survey Setup", 5},
    {IDC_MENU_SYSTEM_SETUP, L"S&ystem Setup", 8},
    {IDC_MENU_LOGGER_SETUP, L"L&ogger Setup", 10},
    {IDC_MENU_GPS_PORT_SETUP, L"&GPS Port Setup", 12},
    {IDC_MENU_MONITOR_GPS, L"Mo&nitor GPS", 10},
    {IDC_MENU_MAP_OPTIONS, L"&Map Options", 8},
    {IDC_MENU_PROFILE_OPTIONS, L"&Profile Options", 5},
    {IDC_MENU_EXIT, L"E&xit", 0},
};

struct ChildWindowEntry {
    const wchar_t* ClassName;
    const wchar_t* Title;
    int Id;
    HWND* Handle;
};

// Settings folder: "Storage\KVTINI" when the device has a "Storage" folder,
// else "\KVTINI". Probing by creation leaves no "Storage" folder behind.
void ChooseStorageMode()
{
    wchar_t path[MAX_PATH];
    if (CreateDirectoryW(CeDevicePath(L"Storage", path, MAX_PATH), nullptr)) {
        RemoveDirectoryW(path);
        App.StorageMode = STORAGE_ROOT;
    } else {
        App.StorageMode = STORAGE_CARD;
    }
    CeDevicePath(App.StorageMode == STORAGE_CARD ? L"Storage\\KVTINI" : L"\\KVTINI", path,
                 MAX_PATH);
    CreateDirectoryW(path, nullptr);
}

HFONT CreateSharedFont(int height, int weight)
{
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = 0;
    wcscpy(lf.lfFaceName, L"MS Sans Serif");
    return CeCreateFontIndirect(&lf);
}

void CreateSharedFonts()
{
    Font.Normal = CreateSharedFont(ScaleTrunc(13, Screen.FontScale), 400);
    Font.Bold = CreateSharedFont(ScaleTrunc(13, Screen.FontScale), 700);
    Font.SmallBold = CreateSharedFont(ScaleTrunc(12, Screen.FontScale), 700);
}

void MeasureDefaultFont(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    TEXTMETRICW tm;
    CeGetDefaultTextMetrics(hdc, Screen.FontScale, &tm);
    Screen.TextHeight = tm.tmHeight;
    Screen.TextAveWidth = tm.tmAveCharWidth;
    ReleaseDC(hwnd, hdc);
}

void CreateChildWindows(HWND hwnd)
{
    const ChildWindowEntry children[] = {
        {L"LoggingWnd", L"Logging", IDW_LOGGING, &hLoggingWnd},
        {L"MonitorGPSWnd", L"Monitor GPS", IDW_MONITOR_GPS, &hMonitorGpsWnd},
        {L"DisplayMapOptionsWnd", L"Display Map Options", IDW_DISPLAY_MAP_OPTIONS,
         &hDisplayMapOptionsWnd},
    };
    for (const ChildWindowEntry& child : children) {
        HWND created = CeCreateChildWindow(0, child.ClassName, child.Title, WS_CHILD,
                                           Screen.OriginX, Screen.OriginY, Screen.Width,
                                           Screen.Height, hwnd, child.Id, App.hInstance, nullptr);
        *child.Handle = created;
        if (!IsWindow(created)) DestroyWindow(hwnd);
    }
}

void CreateMenuButtons(HWND hwnd)
{
    for (int i = 0; i < 9; ++i) {
        ButtonPlace place = MenuButtonPlace(Screen, i, MenuButtons[i].Indent);
        App.MenuButton[i] = CeCreateChildWindow(
            0, L"BUTTON", MenuButtons[i].Text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, place.X, place.Y,
            place.Width, place.Height, hwnd, MenuButtons[i].Id, App.hInstance, nullptr);
        SendMessageW(App.MenuButton[i], WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    }
    SendMessageW(App.MenuButton[App.MenuSelection], BM_SETSTYLE, BS_DEFPUSHBUTTON, 1);
}

LRESULT OnMainCreate(HWND hwnd, UINT, WPARAM, LPARAM)
{
    ClassifyScreenFromWindow(hwnd, &Screen);
    ComputeScreenScales(&Screen);
    Screen.OriginX = Screen.OriginY = 0;
    ShowSipButton(0);
    if (UptimeExceeded(CeGetTickCount())) App.UptimeWarning = 1;
    Map.GridInterval = Settings.MapGridInterval;
    ChooseStorageMode();
    CreateSharedFonts();
    MeasureDefaultFont(hwnd);
    ComputeInitialLayout(Screen, &Layout);
    ApplyInstrumentDefaults();
    ComputeDerivedValues();
    InitProfileRanges();

    AccessConfigFile(CONFIG_LOAD);
    if (App.ConfigCorrupt == 1) {
        MessageBoxW(nullptr,
                    L"Configuration file is corrupted, press OK to reset, then start the program.",
                    L"QOR - Reset to Default Settings", MB_ICONEXCLAMATION);
        AccessConfigFile(CONFIG_DELETE);
        ExitProcess(0);
    }

    InitGpsSentenceSet(Settings.GpsType);
    CreateSharedPensAndBrushes();
    CreateChildWindows(hwnd);
    CreateMenuButtons(hwnd);
    InitUtmConstants();

    App.KeepAliveRunning = 1;
    App.hKeepAliveThread = CreateThread(nullptr, 0, KeepAliveThread, nullptr, 0, nullptr);
    LogView.ShowMap = Settings.GpsEnabled ? 1 : 0;
    ShowSipButton(0);
    return 0;
}

LRESULT OnMainSize(HWND hwnd, UINT, WPARAM, LPARAM)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    App.hMainWnd = hwnd;
    rc.top += CeCommandBarHeight(GetDlgItem(hwnd, IDW_COMMAND_BAR));
    Screen.Portrait = (rc.right - rc.left <= rc.bottom - rc.top) ? 1 : 0;
    const int fullScreenChildren[] = {IDW_MONITOR_GPS, IDW_LOGGING};
    for (int id : fullScreenChildren) {
        SetWindowPos(GetDlgItem(hwnd, id), nullptr, Screen.OriginX, Screen.OriginY, Screen.Width,
                     Screen.Height, SWP_NOZORDER);
    }
    return 0;
}

LRESULT OnMainDestroy(HWND, UINT, WPARAM, LPARAM)
{
    HWND taskBar = CeFindShellWindow(L"HHTaskBar", nullptr);
    if (taskBar) ShowWindow(taskBar, SW_SHOW);
    PostQuitMessage(0);
    return 0;
}

// The start screen: two brackets that follow the bowed button column, the
// three pictures and the version text.
void DrawBracket(HDC hdc, int left, double dx, double dy, double step)
{
    static const int Bend[9] = {0, 5, 8, 10, 11, 10, 8, 5, 0};
    POINT p[9];
    for (int i = 0; i < 9; ++i) {
        const double x = left ? 175 + Bend[i] + dx : 314 - Bend[i] + dx;
        p[i] = {ScaleTrunc(x, Screen.ScaleX), ScaleTrunc(15 + i * step + dy, Screen.ScaleY)};
    }
    Polyline(hdc, p, 9);
    const int r = Screen.Class == 1 ? 3 : 4;
    Ellipse(hdc, p[0].x - r, p[0].y - r, p[0].x + r, p[0].y + r);
    Ellipse(hdc, p[8].x - r, p[8].y - r, p[8].x + r, p[8].y + r);
}

void DrawPicture(HDC hdc, const wchar_t* name, double x, double y)
{
    HBITMAP picture = LoadBitmapW(App.hInstance, name);
    if (!picture) return;
    BITMAP info;
    GetObjectW(picture, sizeof info, &info);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, picture);
    BitBlt(hdc, ScaleTrunc(x, Screen.ScaleX), ScaleTrunc(y, Screen.ScaleY), info.bmWidth,
           info.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(picture);
}

void PaintStartScreen(HDC hdc)
{
    const int portrait = Screen.Portrait != 0, small = Screen.Class == 1;
    HGDIOBJ oldBrush = SelectObject(hdc, Gdi.LightGreyBrush);
    HGDIOBJ oldPen = SelectObject(hdc, Gdi.DarkGreyPen);
    const double dx = portrait ? -79 : 0, dy = portrait ? 53 : 0, step = portrait ? 27 : 26;
    DrawBracket(hdc, 1, dx, dy, step);
    DrawBracket(hdc, 0, dx, dy, step);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);

    wchar_t name[40];
    swprintf(name, 40, L"STATICQOR61MK2%ls_%ls", portrait ? L"VER" : L"HOR", small ? L"Q" : L"VGA");
    DrawPicture(hdc, name, portrait ? 1 : 2, portrait ? 70 : 46);
    swprintf(name, 40, L"STATICCOMPANY_%ls%ls", small ? L"Q" : L"VGA", portrait ? L"V" : L"H");
    DrawPicture(hdc, name, portrait ? 5 : 2, portrait ? 305 : 222);
    swprintf(name, 40, L"STATICPLK_%ls%ls", small ? L"Q" : L"VGA", portrait ? L"V" : L"H");
    DrawPicture(hdc, name, portrait ? 5 : 2, 3);

    const char version[] = "V 3.30qx";
    wchar_t text[16];
    for (size_t i = 0; i < sizeof version; ++i) text[i] = (wchar_t)version[i];
    SetBkMode(hdc, TRANSPARENT);
    ExtTextOutW(hdc, ScaleTrunc(portrait ? 5 : 60, Screen.ScaleX),
                ScaleTrunc(portrait ? 284 : 190, Screen.ScaleY), 0, nullptr, text,
                (UINT)wcslen(text), nullptr);
}

// Then the keyboard focus for the menu keys, the hidden task bar and the
// uptime stop.
LRESULT OnMainPaint(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    PaintStartScreen(hdc);
    EndPaint(hwnd, &ps);
    SetFocus(hwnd);
    UpdateWindow(hwnd);
    HWND taskBar = CeFindShellWindow(L"HHTaskBar", nullptr);
    if (taskBar) ShowWindow(taskBar, SW_HIDE);
    if (App.UptimeWarning == 1) StopForUptime(hwnd, L"PROGRAM STOP");
    return 0;
}

const MessageEntry MainWindowTable[] = {
    {WM_CREATE, OnMainCreate},     {WM_SIZE, OnMainSize},         {WM_DESTROY, OnMainDestroy},
    {WM_COMMAND, MainMenuCommand}, {WM_KEYDOWN, MainMenuCommand}, {WM_CHAR, MainMenuCommand},
    {WM_PAINT, OnMainPaint},
};

} // namespace

DEFINE_TABLE_WNDPROC(MainWndProc, MainWindowTable)
