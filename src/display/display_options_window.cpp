// The profile display options window: for each channel whether it is
// drawn, its pen width and colour; the amplitude range and the grid lines
// it gives; linear or compressed profiles. OK stores, saves, rebuilds the
// pens and grids and replays the profiles; Cancel changes nothing. It is
// driven by keys like a dialog (Tab, arrows, Enter, Escape, the underlined
// letters): the message loop hands it IsDialogMessage.
#include "display/display_options_window.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "app/app_state.h"
#include "app/message_table.h"
#include "app/colour_chooser.h"
#include "app/window_handles.h"
#include "display/display_state.h"
#include "display/gdi_objects.h"
#include "display/pane_windows.h"
#include "display/profile_pane.h"
#include "settings/config_file.h"
#include "settings/dialog_controls.h"
#include "settings/entry_rules.h"
#include "settings/grid_table.h"
#include "settings/settings.h"

namespace {

enum { CHANNELS = 4 };
enum {
    ID_SHOW_CHANNEL = 601, // 601..604
    ID_PEN_WIDTH = 605,    // 605..608
    ID_COLOUR = 609,       // 609..612
    ID_LINEAR = 613,
    ID_COMPRESSED = 614,
    ID_SCALE_MIN = 615,
    ID_SCALE_MAX = 616,
    ID_GRID_LINES = 617,
};

COLORREF Colour[CHANNELS]; // working colours until OK

int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                int w, int h, int id)
{
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, sx(x), sy(y), sx(w),
                                   sy(h), parent, (HMENU)(INT_PTR)id, App.hInstance, nullptr);
    if (Font.Normal) SendMessageW(control, WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    return control;
}

RECT Swatch(int i) { return RECT{sx(196), sy(30 + 20 * i), sx(214), sy(44 + 20 * i)}; }

// The values at which the profile pane will draw its grid lines for the
// range being typed, highest first.
void ShowGridLines(HWND hwnd)
{
    const float minimum = (float)GetNumber(hwnd, ID_SCALE_MIN);
    const float maximum = CorrectProfileMaximum(minimum, (float)GetNumber(hwnd, ID_SCALE_MAX));
    const int height = Layout.ProfileHeight > 0 ? Layout.ProfileHeight : 200;
    const float perUnit = (float)height / (maximum - minimum);
    GridTable grid = {};
    int32_t zeroSide = 0;
    BuildGridTable(&grid, height, minimum, maximum, perUnit, &zeroSide);
    std::vector<float> values;
    for (int k = 1; k <= grid.Count && k <= 9; ++k)
        values.push_back(maximum - (float)grid.Row[k] / perUnit);
    std::sort(values.begin(), values.end(), [](float a, float b) { return a > b; });
    // Room for nine of the longest values a float gives ("-3.4e38" as
    // "%.0f" is 40 characters), whatever range is being typed.
    wchar_t text[16 + 9 * 48] = L"Grid lines:";
    for (size_t k = 0; k < values.size(); ++k) {
        wchar_t value[48];
        if (swprintf(value, 48, L"%ls%.0f", k == 0 ? L" " : L", ", (double)values[k]) > 0)
            wcsncat(text, value, 47);
    }
    SetDlgItemTextW(hwnd, ID_GRID_LINES, text);
}

LRESULT CreateOptionControls(HWND hwnd, UINT, WPARAM, LPARAM)
{
    hDisplayOptionsWnd = hwnd;
    static const wchar_t* const names[CHANNELS] = {L"Channel &1", L"Channel &2", L"Channel &3",
                                                   L"Channel &4"};
    static const wchar_t* const widths[] = {L"1", L"2", L"3", L"4", L"5"};
    AddControl(hwnd, L"STATIC", L"Shown, pen width, colour:", SS_LEFT, 10, 8, 220, 16, -1);
    for (int i = 0; i < CHANNELS; ++i) {
        const int y = 28 + 20 * i;
        HWND box = AddControl(hwnd, L"BUTTON", names[i], BS_AUTOCHECKBOX | WS_TABSTOP, 10, y, 84,
                              18, ID_SHOW_CHANNEL + i);
        SendMessageW(box, BM_SETCHECK, Settings.ChannelShown[i] == 1 ? BST_CHECKED : BST_UNCHECKED,
                     0);
        AddControl(hwnd, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 98, y, 40,
                   120, ID_PEN_WIDTH + i);
        FillCombo(hwnd, ID_PEN_WIDTH + i, widths, 5, Settings.ChannelPenWidth[i] - 1);
        AddControl(hwnd, L"BUTTON", L"Color", BS_PUSHBUTTON | WS_TABSTOP, 142, y, 50, 18,
                   ID_COLOUR + i);
        Colour[i] = Settings.ChannelColor[i];
    }
    AddControl(hwnd, L"STATIC", L"Mi&nimum", SS_LEFT, 10, 112, 60, 16, -1);
    AddControl(hwnd, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 72, 110, 70, 18,
               ID_SCALE_MIN);
    AddControl(hwnd, L"STATIC", L"Ma&ximum", SS_LEFT, 10, 134, 60, 16, -1);
    AddControl(hwnd, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 72, 132, 70, 18,
               ID_SCALE_MAX);
    AddControl(hwnd, L"STATIC", L"", SS_LEFT, 148, 110, 88, 42, ID_GRID_LINES);
    LimitField(hwnd, ID_SCALE_MIN, VALUE_PROFILE_LIMIT);
    LimitField(hwnd, ID_SCALE_MAX, VALUE_PROFILE_LIMIT);
    SetNumber(hwnd, ID_SCALE_MIN, L"%.0f", Settings.ProfileScaleMin);
    SetNumber(hwnd, ID_SCALE_MAX, L"%.0f", Settings.ProfileScaleMax);
    ShowGridLines(hwnd);
    HWND linear =
        AddControl(hwnd, L"BUTTON", L"&Linear Profiles", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                   10, 156, 180, 18, ID_LINEAR);
    HWND compressed = AddControl(hwnd, L"BUTTON", L"Co&mpressed Profiles", BS_AUTORADIOBUTTON, 10,
                                 176, 180, 18, ID_COMPRESSED);
    SendMessageW(Settings.CompressedProfiles == 1 ? compressed : linear, BM_SETCHECK, BST_CHECKED,
                 0);
    AddControl(hwnd, L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 20, 202, 70, 22,
               IDOK);
    AddControl(hwnd, L"BUTTON", L"&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 110, 202, 70, 22, IDCANCEL);
    return 0;
}

LRESULT PaintOptions(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    for (int i = 0; i < CHANNELS; ++i) {
        RECT r = Swatch(i);
        HBRUSH brush = CreateSolidBrush(Colour[i]);
        FillRect(hdc, &r, brush);
        FrameRect(hdc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
        DeleteObject(brush);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT ForgetWindow(HWND, UINT, WPARAM, LPARAM)
{
    hDisplayOptionsWnd = nullptr;
    return 0;
}

void CloseOptions(HWND hwnd)
{
    DestroyWindow(hwnd);
    if (hLoggingWnd && IsWindowVisible(hLoggingWnd))
        SetFocus(hLoggingWnd);
    else if (App.hMainWnd)
        SetFocus(App.hMainWnd);
}

void ChooseChannelColour(HWND hwnd, int i)
{
    ChooseColourFor(hwnd, &Colour[i]);
    RECT r = Swatch(i);
    InvalidateRect(hwnd, &r, TRUE);
}

void AcceptOptions(HWND hwnd)
{
    for (int i = 0; i < CHANNELS; ++i) {
        Settings.ChannelShown[i] =
            SendDlgItemMessageW(hwnd, ID_SHOW_CHANNEL + i, BM_GETCHECK, 0, 0) == BST_CHECKED;
        const int width = ComboChoice(hwnd, ID_PEN_WIDTH + i);
        if (width >= 0) Settings.ChannelPenWidth[i] = width + 1;
        Settings.ChannelColor[i] = Colour[i];
    }
    Settings.CompressedProfiles =
        SendDlgItemMessageW(hwnd, ID_COMPRESSED, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // The range as the Profile Scale dialog takes it; one the file could
    // not keep is not taken.
    const float minimum = (float)GetNumber(hwnd, ID_SCALE_MIN);
    const float maximum = CorrectProfileMaximum(minimum, (float)GetNumber(hwnd, ID_SCALE_MAX));
    if (ProfileScaleStorable(minimum, maximum)) {
        Settings.ProfileScaleMin = minimum;
        Settings.ProfileScaleMax = maximum;
    }
    AccessConfigFile(CONFIG_SAVE);
    CreateSharedPensAndBrushes();
    RebuildPaneScales();
    // Rows change with the compression: profiles and bars start anew.
    ResetPaneRunState();
    CloseOptions(hwnd);
    if (hLoggingWnd && IsWindowVisible(hLoggingWnd)) {
        // The profile pane's paint replays the profiles from the file.
        if (hBarsWnd) InvalidateRect(hBarsWnd, nullptr, TRUE);
        if (hCurveWnd) {
            InvalidateRect(hCurveWnd, nullptr, TRUE);
            UpdateWindow(hCurveWnd);
        }
    }
}

LRESULT HandleOptionCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    if (id == IDOK)
        AcceptOptions(hwnd);
    else if (id == IDCANCEL)
        CloseOptions(hwnd);
    else if (id >= ID_COLOUR && id < ID_COLOUR + CHANNELS)
        ChooseChannelColour(hwnd, id - ID_COLOUR);
    else if ((id == ID_SCALE_MIN || id == ID_SCALE_MAX) && HIWORD(wParam) == EN_CHANGE)
        ShowGridLines(hwnd);
    return 0;
}

// Labels, check boxes and radio buttons on the window's light grey.
LRESULT PaintOptionBackground(HWND, UINT, WPARAM wParam, LPARAM)
{
    SetBkColor((HDC)wParam, RGB(0xC0, 0xC0, 0xC0));
    return (LRESULT)GetStockObject(LTGRAY_BRUSH);
}

// The first control takes the keys when the window opens.
LRESULT TakeFocus(HWND hwnd, UINT, WPARAM, LPARAM)
{
    SetFocus(GetDlgItem(hwnd, ID_SHOW_CHANNEL));
    return 0;
}

const MessageEntry DisplayOptionsMessages[] = {
    {WM_CREATE, CreateOptionControls}, {WM_PAINT, PaintOptions},
    {WM_COMMAND, HandleOptionCommand}, {WM_CTLCOLORSTATIC, PaintOptionBackground},
    {WM_SETFOCUS, TakeFocus},          {WM_DESTROY, ForgetWindow},
};

} // namespace

DEFINE_TABLE_WNDPROC(DisplayOptionsWndProc, DisplayOptionsMessages)
