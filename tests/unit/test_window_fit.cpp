// Every window fits and reads at the five screen sizes of the layout test.
// The windows are made as start-up makes them on each screen; each text is
// measured in its control's own font: a label, button or check box holds it
// (on one line, or wrapped in a box of several lines), a combo box every
// entry in its text area. Each dialog template runs with its procedure on
// the screens that use it, every combo entry chosen in turn (labels follow
// choices), and fits on the screen. Buttons carry the screen class's font
// (the profile scale labels' is probed by test_logging_layout).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>

#include "app/app_state.h"
#include "app/window_classes.h"
#include "app/window_handles.h"
#include "settings/entry_dialogs.h"
#include "settings/gps_setup_dialogs.h"
#include "settings/setup_dialogs.h"
#include "config_file_access.h"
#include "test_check.h"

namespace {

void Expect(bool ok, const char* format, ...)
{
    static std::set<std::string> reported; // seen again under another choice: once
    char fault[300];
    va_list args;
    va_start(args, format);
    std::vsnprintf(fault, sizeof fault, format, args);
    va_end(args);
    ++g_testChecks;
    if (!ok && reported.insert(fault).second) ++g_testFailures, std::printf("FAIL %s\n", fault);
}

std::string TextOf(HWND control)
{
    char text[256] = "";
    GetWindowTextA(control, text, 256);
    return text;
}

// Text extent (or the wrapped text's box, when `wrapWidth` is given) and
// metrics in the control's font; the desktop's font when it has none.
SIZE Measure(HWND control, const std::string& text, TEXTMETRICA* tm, int wrapWidth = 0)
{
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HDC hdc = GetDC(control);
    HGDIOBJ old = SelectObject(hdc, font ? font : GetStockObject(SYSTEM_FONT));
    GetTextMetricsA(hdc, tm);
    SIZE size = {};
    GetTextExtentPoint32A(hdc, text.c_str(), (int)text.size(), &size);
    RECT box = {0, 0, wrapWidth, 0};
    if (wrapWidth &&
        DrawTextA(hdc, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX))
        size = {box.right, box.bottom};
    SelectObject(hdc, old);
    ReleaseDC(control, hdc);
    return size;
}

// Centred text (push buttons) needs its em, not the leading above it.
void ExpectRoom(const char* where, HWND c, const std::string& text, int w, int h, bool centred)
{
    TEXTMETRICA tm;
    SIZE need = Measure(c, text, &tm);
    if (h >= 2 * tm.tmHeight) need = Measure(c, text, &tm, w);
    need.cy -= centred ? tm.tmInternalLeading : 0;
    Expect(text.empty() || (need.cx <= w && need.cy <= h), "%s: %d \"%s\" needs %ldx%ld, has %dx%d",
           where, GetDlgCtrlID(c), text.c_str(), need.cx, need.cy, w, h);
}

// Room inside a push button's edges, beside a check mark, in a combo's text
// area. "&&" shows one ampersand, "&" underlines the next letter, and with
// none after it shows itself ("GPS &").
void MeasureControl(const char* where, HWND c)
{
    char cls[32] = "";
    GetClassNameA(c, cls, 32);
    const LONG style = GetWindowLongA(c, GWL_STYLE), kind = style & BS_TYPEMASK;
    const std::string raw = TextOf(c);
    std::string text;
    bool marked = true;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') marked &= ++i < raw.size() && raw[i] != ' ';
        if (i < raw.size()) text += raw[i];
    }
    RECT rc;
    GetClientRect(c, &rc);
    if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT)
        ExpectRoom(where, c, text, rc.right, rc.bottom, false);
    else if (lstrcmpiA(cls, "Button") == 0 && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON))
        ExpectRoom(where, c, text, rc.right - 4, rc.bottom - 4, true);
    else if (lstrcmpiA(cls, "Button") == 0 && kind != BS_GROUPBOX && kind != BS_OWNERDRAW)
        ExpectRoom(where, c, text, rc.right - GetSystemMetrics(SM_CXMENUCHECK) - 4, rc.bottom,
                   false);
    const bool label = lstrcmpiA(cls, "Static") == 0 || lstrcmpiA(cls, "Button") == 0;
    Expect(marked || !label, "%s: \"%s\" underlines no letter", where, raw.c_str());
    if (lstrcmpiA(cls, "ComboBox") != 0) return;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    GetComboBoxInfo(c, &info);
    for (int i = 0; i < SendMessageA(c, CB_GETCOUNT, 0, 0); ++i) {
        char item[128] = "";
        if (SendMessageA(c, CB_GETLBTEXTLEN, i, 0) < 128)
            SendMessageA(c, CB_GETLBTEXT, i, (LPARAM)item);
        ExpectRoom(where, c, item, info.rcItem.right - info.rcItem.left - 2,
                   info.rcItem.bottom - info.rcItem.top, false);
    }
}

void MeasureChildren(const char* where, HWND parent)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        MeasureControl(where, c);
}

enum Use { LANDSCAPE = 1, PORTRAIT = 2, BOTH = 3 };

// clang-format off
const struct TemplateEntry {
    const char* Name;
    DLGPROC Proc; // none: the template alone
    int Use;
} Templates[] = {
    {"GetSurveySetup61H", SurveySetupDlgProc, LANDSCAPE}, {"GetSurveySetup61V", SurveySetupDlgProc, PORTRAIT},
    {"GetLoggerSetup", LoggerSetupDlgProc, LANDSCAPE},    {"GetLoggerSetupV", LoggerSetupDlgProc, PORTRAIT},
    {"GetGPSPortSetup", GpsPortSetupDlgProc, LANDSCAPE},  {"GetGPSPortSetupV", GpsPortSetupDlgProc, PORTRAIT},
    {"GetNewLineHor", NewLineDlgProc, LANDSCAPE},         {"GetNewLine", NewLineDlgProc, PORTRAIT},
    {"GetSystemSetup", SystemSetupDlgProc, BOTH},         {"GetGpsWarningMask", GpsWarningMaskDlgProc, BOTH},
    {"GetMonitorRts", MonitorRtsDlgProc, BOTH},           {"GetNewStation", NewStationDlgProc, BOTH},
    {"GetComment", CommentDlgProc, BOTH},                 {"GetNewMapScale", MapScaleDlgProc, BOTH},
    {"GetNewProfileScale", ProfileScaleDlgProc, BOTH},    {"GetNewSpeedScale", SpeedScaleDlgProc, BOTH},
    {"GetCoordinatesDisplay", CoordinatesDisplayDlgProc, BOTH}, {"GetAsciiFileSetup", AsciiFileDlgProc, BOTH},
    {"GetGpsMessage", nullptr, BOTH},
};
// clang-format on

BOOL CALLBACK ExpectListed(HMODULE, LPCSTR, LPSTR name, LONG_PTR)
{
    bool listed = false;
    for (const TemplateEntry& t : Templates) listed |= lstrcmpiA(t.Name, name) == 0;
    Expect(listed, "template %s is not measured here", name);
    return TRUE;
}

void MeasureDialog(const char* screen, const TemplateEntry& t)
{
    char where[64];
    std::snprintf(where, sizeof where, "%s %s", screen, t.Name);
    HWND d = CreateDialogParamA(App.hInstance, t.Name, nullptr, t.Proc, 0);
    RECT r = {};
    GetWindowRect(d, &r);
    Expect(d && r.right - r.left <= Screen.Width && r.bottom - r.top <= Screen.Height,
           "%s is %ldx%ld on the screen", where, r.right - r.left, r.bottom - r.top);
    MeasureChildren(where, d);
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, 32);
        for (int i = 0; lstrcmpiA(cls, "ComboBox") == 0 && i < SendMessageA(c, CB_GETCOUNT, 0, 0);
             ++i) {
            SendMessageA(c, CB_SETCURSEL, i, 0);
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), (LPARAM)c);
            MeasureChildren(where, d);
        }
    }
    DestroyWindow(d);
}

// A full-screen window's buttons and labels: inside the screen, and in a
// font about as tall as the screen class's (13 px cells, 26 on VGA).
void MeasureWindow(const char* where, HWND window)
{
    const int normalHeight = ScaleTrunc(12, Screen.FontScale);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, 32);
        if (lstrcmpiA(cls, "Button") != 0 && lstrcmpiA(cls, "Static") != 0) continue;
        MeasureControl(where, c);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, (POINT*)&r, 2);
        const std::string text = TextOf(c);
        Expect(r.left >= 0 && r.top >= 0 && r.right <= Screen.Width && r.bottom <= Screen.Height,
               "%s: \"%s\" at %ld,%ld..%ld,%ld leaves the screen", where, text.c_str(), r.left,
               r.top, r.right, r.bottom);
        TEXTMETRICA tm;
        Measure(c, text, &tm);
        Expect(text.empty() || tm.tmHeight >= normalHeight, "%s: \"%s\" has a %ld px font, not %d",
               where, text.c_str(), tm.tmHeight, normalHeight);
    }
}

void TestScreen(int w, int h)
{
    char screen[16], where[64];
    std::snprintf(screen, sizeof screen, "%dx%d", w, h);
    // As at start-up: the client area is the screen above the task bar's strip.
    HWND main = CreateWindowExW(0, L"EM61", L"QOR", WS_POPUP, 0, 0, w, h - 36, nullptr, nullptr,
                                App.hInstance, nullptr);
    HWND options =
        CreateWindowExW(0, L"DisplayOptionsWnd", L"Display Options", WS_POPUP, 0, 0, Screen.Width,
                        Screen.Height, nullptr, nullptr, App.hInstance, nullptr);
    for (HWND window : {main, hLoggingWnd, hMonitorGpsWnd, hDisplayMapOptionsWnd, options}) {
        GetWindowTextA(window, where + std::snprintf(where, 64, "%s ", screen), 40);
        MeasureWindow(where, window);
    }
    for (const TemplateEntry& t : Templates)
        if (t.Use & (Screen.Portrait ? PORTRAIT : LANDSCAPE)) MeasureDialog(screen, t);
    DestroyWindow(options);
    DestroyWindow(main);
}

} // namespace

int main()
{
    CeInitDeviceRoot();
    App.hInstance = GetModuleHandleW(nullptr);
    CHECK_EQ(RegisterWindowClasses(App.hInstance), 0);
    EnumResourceNamesA(App.hInstance, (LPCSTR)RT_DIALOG, ExpectListed, 0);
    for (auto size : {SIZE{240, 320}, {320, 240}, {480, 640}, {640, 480}, {800, 480}})
        TestScreen(size.cx, size.cy);
    App.KeepAliveRunning = 0;
    RemoveConfigFile();
    return TestSummary("test_window_fit");
}
