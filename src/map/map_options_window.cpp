// "Display Map Options": the marker size and colour of the current
// position, the survey's saved positions and an external file's positions.
// It works on copies, shows samples and a preview, and stores on OK.
// Every input (buttons, keys) becomes one code, as the hand-held's keypad
// and its stylus must behave alike.
#include "map/map_options_window.h"

#include <cwchar>

#include "app/app_state.h"
#include "app/message_table.h"
#include "app/shell.h"
#include "app/colour_chooser.h"
#include "app/window_handles.h"
#include "map/map_view.h"
#include "logging/log_run.h"
#include "resource_ids.h"
#include "settings/config_file.h"
#include "settings/derived_values.h"
#include "settings/settings.h"

namespace {

enum { ROWS = 3, SIZES = 6, FOCUS_COUNT = 8, FIRST_ROW_FOCUS = 5 };
enum { CODE_OK = 5, CODE_CANCEL = 6, CODE_FIRST_COLOUR = 7 };

struct MapOptionsRecord {
    int Size[ROWS]; // working sizes: current, saved, external
    int StoredSize[ROWS];
    COLORREF OriginalColour[ROWS];
    int Focus; // 0 OK, 1 Cancel, 2..4 Color, 5..7 the size rows
    HWND Radio[ROWS][SIZES];
    HWND Push[5];
};
MapOptionsRecord Opt;

int32_t* SizeSetting(int row)
{
    int32_t* sizes[ROWS] = {&Settings.MapCurrentSize, &Settings.MapSavedSize,
                            &Settings.MapExternalSize};
    return sizes[row];
}

uint32_t* ColourSetting(int row)
{
    uint32_t* colours[ROWS] = {&Settings.MapCurrentColor, &Settings.MapSavedColor,
                               &Settings.MapExternalColor};
    return colours[row];
}

// Layout in the base units of the screen's orientation (240 x 320 upright,
// 320 x 240 on its side), scaled.
struct Place {
    int RowTop, RowStep, RadioLeft, RadioStep, ColourX, ColourDy, TextTop, PreviewTop,
        PreviewBottom, OkX, OkY, CancelX, CancelY, PushW, PushH;
};
const Place Upright = {22, 52, 62, 26, 4, 28, 180, 210, 266, 30, 280, 130, 280, 80, 24};
const Place Sideways = {20, 44, 62, 26, 214, 0, 154, 184, 236, 262, 190, 262, 214, 52, 20};
const Place& Places() { return Screen.Portrait ? Upright : Sideways; }
int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

void CheckRadios()
{
    for (int r = 0; r < ROWS; ++r)
        for (int i = 0; i < SIZES; ++i)
            SendMessageW(Opt.Radio[r][i], BM_SETCHECK, i == Opt.Size[r], 0);
}

void Highlight(int focus)
{
    for (int k = 0; k < 5; ++k) SendMessageW(Opt.Push[k], BM_SETSTATE, k == focus, 0);
}

LRESULT OnCreate(HWND hwnd, UINT, WPARAM, LPARAM)
{
    const Place& p = Places();
    for (int r = 0; r < ROWS; ++r)
        for (int i = 0; i < SIZES; ++i)
            Opt.Radio[r][i] = CreateWindowExW(
                0, L"BUTTON", L"",
                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_LEFT | BS_AUTORADIOBUTTON |
                    (i == 0 ? WS_GROUP : 0),
                sx(p.RadioLeft + i * p.RadioStep), sy(p.RowTop + r * p.RowStep), sx(15), sy(15),
                hwnd, (HMENU)(INT_PTR)(IDC_MAP_SIZE_CURRENT + 10 * r + i), App.hInstance, nullptr);
    const wchar_t* const texts[5] = {L"&OK", L"&Cancel", L"Color", L"Color", L"Color"};
    for (int k = 0; k < 5; ++k) {
        int x, y, w = p.PushW, h = p.PushH;
        if (k < 2) {
            x = k == 0 ? p.OkX : p.CancelX;
            y = k == 0 ? p.OkY : p.CancelY;
        } else {
            x = p.ColourX, y = p.RowTop + (k - 2) * p.RowStep + p.ColourDy, w = 40, h = 16;
        }
        Opt.Push[k] = CreateWindowExW(
            0, L"BUTTON", texts[k], WS_CHILD | WS_VISIBLE | BS_CENTER, sx(x), sy(y), sx(w), sy(h),
            hwnd, (HMENU)(INT_PTR)(IDC_MAP_OPTIONS_OK + k), App.hInstance, nullptr);
        SendMessageW(Opt.Push[k], WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    }
    return 0;
}

void Text(HDC hdc, int x, int y, const wchar_t* text)
{
    TextOutW(hdc, sx(x), sy(y), text, (int)wcslen(text));
}

LRESULT OnPaint(HWND hwnd, UINT, WPARAM, LPARAM)
{
    const Place& p = Places();
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(hdc, Font.Normal);
    Text(hdc, 4, 2, L"Map Display Options");
    static const wchar_t* const names[ROWS] = {L"Current", L"Saved", L"External"};
    for (int r = 0; r < ROWS; ++r) {
        const int top = p.RowTop + r * p.RowStep;
        if (Opt.Focus == FIRST_ROW_FOCUS + r) {
            RECT ring = {sx(p.RadioLeft - 3), sy(top - 2), sx(p.RadioLeft + 5 * p.RadioStep + 18),
                         sy(top + 17)};
            FrameRect(hdc, &ring, (HBRUSH)GetStockObject(BLACK_BRUSH));
        }
        Text(hdc, 4, top, names[r]);
        Text(hdc, 4, top + 11, L"Position");
        for (int i = 0; i < SIZES; ++i) {
            const int x = sx(p.RadioLeft + i * p.RadioStep + 7), y = sy(top + 27);
            if (r == 0)
                DrawMapCross(hdc, x, y, i < 5 ? i + 3 : 9, *ColourSetting(r));
            else
                DrawMapMark(hdc, x, y, i, *ColourSetting(r));
        }
    }
    wchar_t text[64];
    const wchar_t* unit = Settings.Units == 0 ? L"meters" : L"feet";
    swprintf(text, 64, L"Map Scale: %d %ls", (int)Settings.MapScale, unit);
    Text(hdc, 4, p.TextTop, text);
    swprintf(text, 64, L"Grid Interval: %.2f %ls", (double)Settings.MapGridInterval, unit);
    Text(hdc, 4, p.TextTop + 13, text);

    // The preview: a walked line of saved marks, an external line and the cross.
    RECT frame = {sx(4), sy(p.PreviewTop), sx(Screen.Portrait ? 236 : 256), sy(p.PreviewBottom)};
    FillRect(hdc, &frame, (HBRUSH)GetStockObject(WHITE_BRUSH));
    FrameRect(hdc, &frame, (HBRUSH)GetStockObject(BLACK_BRUSH));
    Text(hdc, 8, p.PreviewTop + 2, L"Preview");
    const int mid = (frame.top + frame.bottom) / 2, step = sx(14);
    for (int x = frame.left + step; x < frame.right - 3 * step; x += step) {
        DrawMapMark(hdc, x, mid + sy(6), Opt.Size[1], *ColourSetting(1));
        DrawMapMark(hdc, x + step / 2, mid + sy(18), Opt.Size[2], *ColourSetting(2));
    }
    const int r = Opt.Size[0] < 5 ? Opt.Size[0] + 3 : 9;
    DrawMapCross(hdc, frame.right - 2 * step, mid + sy(6), r, *ColourSetting(0));
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
    ReclaimKeyboardFocus(hwnd);
    return 0;
}

void ShowLoggingAgain(HWND hwnd)
{
    if (LogRun.Launched == 1 && hLoggingWnd && !IsWindowVisible(hLoggingWnd))
        ShowWindow(hLoggingWnd, SW_SHOW);
    ShowWindow(hwnd, SW_HIDE);
    if (hCurveWnd && LogRun.Stopped != 1) InvalidateRect(hCurveWnd, nullptr, TRUE);
    SetFocus(LogRun.Launched == 1 && hLoggingWnd ? hLoggingWnd : App.hMainWnd);
    if (LogRun.Launched != 1) InvalidateRect(App.hMainWnd, nullptr, TRUE);
}

void ChooseRowColour(HWND hwnd, int row)
{
    COLORREF colour = *ColourSetting(row);
    if (ChooseColourFor(hwnd, &colour)) *ColourSetting(row) = colour;
}

void Perform(HWND hwnd, int code)
{
    if (code >= 50 && code < 50 + 10 * ROWS && code % 10 < SIZES) {
        const int row = code / 10 - 5;
        Opt.Size[row] = code % 10;
        if (row == 0) { // the cross's size follows at once
            Settings.MapCurrentSize = Opt.Size[0];
            ComputeMapMarkerSizes();
        }
        CheckRadios();
        InvalidateRect(hwnd, nullptr, TRUE);
    } else if (code >= CODE_FIRST_COLOUR && code < CODE_FIRST_COLOUR + ROWS) {
        ChooseRowColour(hwnd, code - CODE_FIRST_COLOUR);
        InvalidateRect(hwnd, nullptr, TRUE);
    } else if (code == CODE_OK) {
        for (int r = 0; r < ROWS; ++r) *SizeSetting(r) = Opt.Size[r];
        ComputeMapMarkerSizes();
        AccessConfigFile(CONFIG_SAVE);
        ShowLoggingAgain(hwnd);
        return;
    } else if (code == CODE_CANCEL) {
        for (int r = 0; r < ROWS; ++r) {
            Opt.Size[r] = *SizeSetting(r) = Opt.StoredSize[r];
            *ColourSetting(r) = Opt.OriginalColour[r];
        }
        ComputeMapMarkerSizes();
        CheckRadios();
        ShowLoggingAgain(hwnd);
        return;
    }
    SetFocus(hwnd);
}

// The key of a size row: Left/Up one smaller, Right/Down one larger, round.
int SizeKeyCode(WPARAM key)
{
    const int row = Opt.Focus - FIRST_ROW_FOCUS;
    int size = Opt.Size[row];
    if (key == VK_LEFT || key == VK_UP)
        size = size == 0 ? SIZES - 1 : size - 1;
    else if (key == VK_RIGHT || key == VK_DOWN)
        size = size == SIZES - 1 ? 0 : size + 1;
    else
        return 0;
    return 50 + 10 * row + size;
}

LRESULT OnInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    int code = 0;
    if (msg == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id >= IDC_MAP_SIZE_CURRENT && id < IDC_MAP_SIZE_CURRENT + 10 * ROWS)
            code = 50 + (id - IDC_MAP_SIZE_CURRENT);
        else if (id >= IDC_MAP_OPTIONS_OK && id < IDC_MAP_OPTIONS_OK + 5)
            code = CODE_OK + (id - IDC_MAP_OPTIONS_OK);
    } else if (msg == WM_KEYDOWN && Opt.Focus >= FIRST_ROW_FOCUS) {
        code = SizeKeyCode(wParam);
    } else if (msg == WM_CHAR) {
        switch (wParam) {
        case '\t': {
            const int old = Opt.Focus;
            Opt.Focus = (Opt.Focus + 1) % FOCUS_COUNT;
            Highlight(Opt.Focus);
            if (Opt.Focus >= FIRST_ROW_FOCUS || old >= FIRST_ROW_FOCUS)
                InvalidateRect(hwnd, nullptr, TRUE);
            break;
        }
        case '\r':
            if (Opt.Focus < FIRST_ROW_FOCUS) code = CODE_OK + Opt.Focus;
            break;
        case 'O':
        case 'o': code = CODE_OK; break;
        case 27:
        case 'C':
        case 'c': code = CODE_CANCEL; break;
        default: break;
        }
    }
    if (code) Perform(hwnd, code);
    return 0;
}

LRESULT OnColour(HWND, UINT, WPARAM, LPARAM) { return (LRESULT)GetStockObject(LTGRAY_BRUSH); }

const MessageEntry DisplayMapOptionsTable[] = {
    {WM_CREATE, OnCreate}, {WM_PAINT, OnPaint}, {WM_COMMAND, OnInput},
    {WM_KEYDOWN, OnInput}, {WM_CHAR, OnInput},  {WM_CTLCOLORSTATIC, OnColour},
};

} // namespace

DEFINE_TABLE_WNDPROC(DisplayMapOptionsWndProc, DisplayMapOptionsTable)

void CopyMapOptionsToWorking()
{
    for (int r = 0; r < ROWS; ++r) {
        Opt.Size[r] = Opt.StoredSize[r] = *SizeSetting(r);
        Opt.OriginalColour[r] = *ColourSetting(r);
    }
    Opt.Focus = 0;
    if (Opt.Radio[0][0]) {
        CheckRadios();
        Highlight(Opt.Focus);
    }
}
