// Window classes, registered in a fixed order at start-up.
#include "app/window_classes.h"
#include "app/colour_chooser.h"
#include "app/main_window.h"
#include "display/pane_windows.h"
#include "display/display_options_window.h"
#include "gps/gps_reader.h"
#include "gps/monitor_gps.h"
#include "map/map_options_window.h"
#include "map/map_view.h"
#include "logging/logging_window.h"
#include "platform/ce_compat.h"

namespace {

struct WindowClassEntry {
    const wchar_t* Name;
    WNDPROC Procedure;
    int Background; // stock object
    bool LoadsColourChooser;
};

const WindowClassEntry WindowClasses[] = {
    {L"EM61", MainWndProc, LTGRAY_BRUSH, false},
    {L"MonitorGPSWnd", MonitorGpsWndProc, LTGRAY_BRUSH, false},
    {L"DisplayMapOptionsWnd", DisplayMapOptionsWndProc, LTGRAY_BRUSH, true},
    {L"LoggingWnd", LoggingWndProc, LTGRAY_BRUSH, false},
    {L"CurveWnd", CurveWndProc, WHITE_BRUSH, false},
    {L"BarsWnd", BarsWndProc, WHITE_BRUSH, false},
    {L"BarQWnd", BarQWndProc, WHITE_BRUSH, false},
    {L"BarIWnd", BarIWndProc, WHITE_BRUSH, false},
    {L"SpeedbarWnd", SpeedbarWndProc, WHITE_BRUSH, false},
    {L"DisplayOptionsWnd", DisplayOptionsWndProc, LTGRAY_BRUSH, true},
};

} // namespace

int RegisterWindowClasses(HINSTANCE instance)
{
    for (size_t i = 0; i < sizeof(WindowClasses) / sizeof(WindowClasses[0]); ++i) {
        const WindowClassEntry& entry = WindowClasses[i];
        WNDCLASSW wc = {};
        wc.style = 0;
        wc.lpfnWndProc = entry.Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)GetStockObject(entry.Background);
        wc.lpszClassName = entry.Name;
        if (!RegisterClassW(&wc)) return (i == 0) ? 1 : 2;
        if (entry.LoadsColourChooser) ChooseColorEntry = CeLoadChooseColor();
    }
    return 0;
}
