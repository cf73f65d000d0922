// The logging window: its message table, the layout of the logging screen,
// the panes and the creation of the three pages of command buttons.
#include "logging/logging_window.h"
#include "app/window_handles.h"
#include "logging/connection_watchdog.h"
#include "logging/command_buttons.h"
#include "logging/logging_commands.h"
#include "logging/log_run.h"
#include "app/app_state.h"
#include "app/message_table.h"
#include "display/status_layout.h"
#include "display/status_paint.h"
#include "instrument/acq.h"
#include "instrument/reading_handler.h"
#include "gps/gps_fix.h"
#include "gps/gps_reader.h"
#include "serial/delay_events.h"
#include "settings/settings.h"
#include "platform/ce_compat.h"

static int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
static int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

// Row height of the read-out column; the 2 stands in for the font leading.
static int StatusLineHeight()
{
    double f = Screen.FontScale;
    if (Screen.Portrait)
        return Screen.TextHeight + 2 - (Screen.Class == 3 ? (int)(3 * f) : (int)(5 * f));
    return Screen.TextHeight + 2 - (Screen.Class == 1 ? (int)(5 * f) : (int)(4.5 * f));
}

static void ComputeLandscapeLayout(int L)
{
    Layout.BarsLeft = Layout.ProfileWidth + sx(6);
    Layout.BarsWidth = sx(32);
    Layout.SpeedbarTop = Layout.ProfileHeight + sy(17);
    Layout.SpeedbarHeight = sy(5);
    Layout.BarsTop = sy(28);
    Layout.BarsHeight = sy(80);
    Layout.ButtonWidth = sx(60);
    Layout.ButtonLeft = Screen.Width - Layout.ButtonWidth - sx(2);
    Layout.ButtonTop = sy(28);
    Layout.ButtonHeight = sy(19);
    Layout.PauseWidth = Layout.ButtonWidth;
    Layout.PauseHeight = 3 * Layout.ButtonHeight + sy(4);
    Layout.StatusX = Layout.ProfileWidth + sx(8);
    int* y = Layout.StatusY;
    y[0] = sy(1);
    y[1] = y[0] + L;
    y[2] = Layout.BarsTop + Layout.BarsHeight + sy(1);
    for (int i = 3; i <= 6; ++i) y[i] = y[i - 1] + L;
    y[7] = y[6] + L + sy(2);
    y[8] = y[7] + L;
    y[9] = y[8] + L + sy(2);
    for (int i = 10; i <= 12; ++i) y[i] = y[i - 1] + L;
}

static void ComputePortraitLayout(int L)
{
    Layout.BarsLeft = Layout.ProfileLeft - 2;
    Layout.BarsWidth = sx(32);
    Layout.SpeedbarTop = Layout.ProfileTop + Layout.ProfileHeight + sy(10);
    Layout.SpeedbarHeight = sy(5);
    Layout.ButtonHeight = sy(17);
    Layout.BarsTop = Layout.SpeedbarTop + Layout.SpeedbarHeight + sy(1);
    Layout.BarsHeight = Screen.Height - sy(1) - Layout.BarsTop - Layout.ButtonHeight;
    Layout.ButtonWidth = sx(58) + (Screen.Class == 3 ? 1 : 0);
    Layout.ButtonLeft = sx(1);
    Layout.ButtonTop = Screen.Height - Layout.ButtonHeight;
    Layout.PauseWidth = sx(237);
    Layout.PauseHeight = Layout.ButtonHeight;
    Layout.StatusX = Layout.ProfileLeft + Layout.BarsWidth + sx(4);
    Layout.StatusX2 = sx(140);
    int* y = Layout.StatusY;
    y[0] = 0;
    y[1] = y[0] + L;
    y[2] = Layout.BarsTop + Layout.BarsHeight + sy(1);
    y[3] = Layout.SpeedbarTop + Layout.SpeedbarHeight - sy(1);
    for (int i = 4; i <= 6; ++i) y[i] = y[i - 1] + L;
    // The second column runs beside the first.
    y[7] = y[3];
    y[8] = y[4];
    y[9] = y[5];
    y[10] = y[6];
    y[11] = y[10] + L;
    y[12] = y[11] + L;
}

static void ComputeLoggingLayout()
{
    int L = StatusLineHeight();
    Layout.StatusLineHeight = L;
    if (Screen.Portrait)
        ComputePortraitLayout(L);
    else
        ComputeLandscapeLayout(L);
    for (int i = 0; i < 4; ++i) Layout.BarX[i] = sx(2 + 7 * i);
    Layout.BarWidth = sx(5);
    Layout.BarHalfWidth = (Layout.BarsWidth - sx(2)) / 2;
    Acq.LastDataTick = CeGetTickCount();
}

static HWND CreatePane(HWND parent, const wchar_t* cls, int id, DWORD style, int x, int y, int w,
                       int h)
{
    return CreateWindowExW(0, cls, NULL, style, x, y, w, h, parent, (HMENU)(INT_PTR)id,
                           App.hInstance, NULL);
}

// A button in the screen class's font: the desktop's own is half as tall
// as the read-outs beside it on a VGA screen.
static HWND CreateButton(HWND parent, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                         int id)
{
    HWND button = CreateWindowExW(0, L"BUTTON", text, style, x, y, w, h, parent,
                                  (HMENU)(INT_PTR)id, App.hInstance, NULL);
    SendMessageW(button, WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    return button;
}

static HWND CreateCommandButton(HWND parent, const wchar_t* text, int index, DWORD style)
{
    int x = Layout.ButtonLeft, y = Layout.ButtonTop;
    if (Screen.Portrait)
        x += index * (Layout.ButtonWidth + sx(1));
    else
        y += index * (Layout.ButtonHeight + sy(1));
    return CreateButton(parent, text, style, x, y, Layout.ButtonWidth, Layout.ButtonHeight,
                        IDC_LOG_BUTTON_FIRST + index);
}

static LRESULT CreateLoggingWindow(HWND hwnd, UINT, WPARAM, LPARAM)
{
    hLoggingWnd = hwnd;
    HDC hdc = GetDC(NULL);
    ComputeLoggingLayout();
    HGDIOBJ oldFont = SelectObject(hdc, Font.Normal);
    if (Screen.Portrait)
        LayoutPortrait(hdc);
    else
        LayoutLandscape(hdc);
    if (Screen.Class >= 2) Layout.ProfilePoints = 333;
    SelectObject(hdc, oldFont);
    ReleaseDC(NULL, hdc);
    DelayMs(5);

    const DWORD shown = WS_CHILD | WS_VISIBLE | WS_BORDER, hidden = WS_CHILD | WS_BORDER;
    hCurveWnd = CreatePane(hwnd, L"CurveWnd", IDW_CURVE_PANE, shown, Layout.ProfileLeft - 1,
                           Layout.ProfileTop - 1, Layout.ProfileWidth, Layout.ProfileHeight);
    hSpeedbarWnd =
        CreatePane(hwnd, L"SpeedbarWnd", IDW_SPEEDBAR_PANE, shown, Layout.ProfileLeft - 1,
                   Layout.SpeedbarTop, Layout.ProfileWidth, Layout.SpeedbarHeight);
    hBarsWnd = CreatePane(hwnd, L"BarsWnd", IDW_BARS_PANE, hidden, Layout.BarsLeft, Layout.BarsTop,
                          Layout.BarsWidth, Layout.BarsHeight);
    hBarQWnd = CreatePane(hwnd, L"BarQWnd", IDW_BARQ_PANE, hidden, Layout.BarsLeft, Layout.BarsTop,
                          Layout.BarHalfWidth, Layout.BarsHeight);
    hBarIWnd = CreatePane(hwnd, L"BarIWnd", IDW_BARI_PANE, hidden,
                          Layout.BarsLeft + Layout.BarHalfWidth + sx(2), Layout.BarsTop,
                          Layout.BarHalfWidth, Layout.BarsHeight);

    static const wchar_t* const fileTexts[4] = {L"&File", L"N&ull", L"E&xit", L"&Menu"};
    static const wchar_t* const runTexts[4] = {L"&Go", L"&QLine", L"E&xit", L"&Menu"};
    const DWORD visibleButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const DWORD hiddenButton = WS_CHILD | WS_TABSTOP;
    for (int i = 0; i < 4; ++i)
        LogWnd.FileButton[i] = CreateCommandButton(hwnd, fileTexts[i], i, visibleButton);
    SendMessageW(LogWnd.FileButton[LogWnd.ButtonFocus], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    LogWnd.ButtonCount = 4;
    LogWnd.ButtonFirst = 0;
    for (int i = 0; i < 4; ++i)
        LogWnd.RunButton[i] = CreateCommandButton(hwnd, runTexts[i], i, hiddenButton);
    LogWnd.PauseButton =
        CreateButton(hwnd, L"Pause", hiddenButton, Layout.ButtonLeft, Layout.ButtonTop,
                     Layout.PauseWidth, Layout.PauseHeight, IDC_LOG_BUTTON_FIRST);

    ShowWindow(hBarsWnd, SW_SHOW);
    // The readings enable these once normalisation is nearly done.
    if (Settings.InstrumentEnabled == 1) EnableFileCommands(FALSE, FALSE, FALSE);
    return 0;
}

static LRESULT IgnoreResize(HWND, UINT, WPARAM, LPARAM) { return 0; }

// Messages of instrument types this build does not serve.
static LRESULT IgnoreOtherInstrument(HWND, UINT, WPARAM, LPARAM) { return 0; }

// The run's keys go to this window from the moment it appears (also when
// it comes back from the map options), and the panes draw live again.
static LRESULT TakeFocusWhenShown(HWND hwnd, UINT, WPARAM shown, LPARAM)
{
    if (shown) {
        SetFocus(hwnd);
        LogView.LiveDraw = 1;
    }
    return 0;
}

static const MessageEntry LoggingWndTable[] = {
    {WM_CREATE, CreateLoggingWindow},
    {WM_PAINT, PaintLoggingWindow},
    {WM_TIMER, HandleConnectionWatchdog},
    {WM_COMMAND, HandleLoggingCommand},
    {WM_SIZE, IgnoreResize},
    {WM_QOR_EM61MK2_READING, HandleEm61Mk2Reading},
    {WM_QOR_OTHER_READER_40D, IgnoreOtherInstrument},
    {WM_QOR_OTHER_READER_40C, IgnoreOtherInstrument},
    {WM_QOR_OTHER_READER_40E, IgnoreOtherInstrument},
    {WM_QOR_OTHER_READER_412, IgnoreOtherInstrument},
    {WM_QOR_OTHER_READER_413, IgnoreOtherInstrument},
    {WM_QOR_GPS_FIX, HandleGpsFix},
    {WM_QOR_GPS_GSA, HandleGpsGsa},
    {WM_QOR_NMEA_SENTENCE, HandleGpsSentence},
    {WM_QOR_RTS_POSITION, HandleRtsPosition},
    {WM_QOR_RTS_RECORD, HandleRtsRecord},
    {WM_QOR_OTHER_READER_414, IgnoreOtherInstrument},
    {WM_QOR_OTHER_READER_415, IgnoreOtherInstrument},
    {WM_KEYDOWN, HandleLoggingCommand},
    {WM_KEYUP, HandleLoggingKeyUp},
    {WM_SHOWWINDOW, TakeFocusWhenShown},
    {WM_QOR_FILE_ERROR, HandleDataFileError},
};

DEFINE_TABLE_WNDPROC(LoggingWndProc, LoggingWndTable)
