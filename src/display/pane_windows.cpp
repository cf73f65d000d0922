// Window procedures of the logging screen's panes and the start-up value
// range of the profiles. Each pane handles WM_PAINT only.
#include "display/display_state.h"
#include "display/pane_windows.h"
#include "map/map_view.h"
#include "display/profile_pane.h"
#include "display/profile_replay.h"
#include "display/bars_pane.h"
#include "settings/derived_values.h"
#include "app/app_state.h"
#include "app/message_table.h"
#include "logging/log_run.h"
#include "settings/settings.h"

void InitProfileRanges()
{
    // The newest profile column of a small screen; the logging screen moves
    // it to 333 on larger ones.
    Layout.ProfilePoints = 167;
    Settings.ProfileScaleMin = 0.0f;
    Settings.ProfileScaleMax = 2000.0f;
    Settings.ChannelCount = 4;
    float range = Settings.ProfileScaleMax - Settings.ProfileScaleMin;
    Settings.ProfilePixelsPerUnit = (float)Layout.ProfileHeight / range;
    Settings.BarPixelsPerUnit = (float)Layout.BarsHeight / range;
}

void RebuildPaneScales()
{
    float range = Settings.ProfileScaleMax - Settings.ProfileScaleMin;
    if (!(range > 0)) return;
    ComputeProfileScaleValues();
}

static LRESULT PaintCurvePane(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    // The map is drawn whole from its track list, the profiles from the
    // data file: whatever covered the pane (a menu, a dialog, the map), the
    // lines come back as they were.
    if (LogView.ShowMap == 1) {
        PaintMap(hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    DrawProfileFrame(hdc, 1, Settings.ProfileScaleMin, Settings.ProfileScaleMax);
    EndPaint(hwnd, &ps);
    ReplayProfiles(hwnd);
    return 0;
}

static LRESULT PaintBarsPane(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (Bars.Initialised == 1) RedrawBars(hdc);
    DrawBarsFrame(hdc, Layout.BarsWidth);
    EndPaint(hwnd, &ps);
    return 0;
}

// The speed bar is drawn by the GPS fix handler; the half-width bar panes
// serve other instruments. Their paint only validates the window.
static LRESULT ValidateOnly(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    return 0;
}

static const MessageEntry CurveMessages[] = {{WM_PAINT, PaintCurvePane}};
static const MessageEntry BarsMessages[] = {{WM_PAINT, PaintBarsPane}};
static const MessageEntry BarQMessages[] = {{WM_PAINT, ValidateOnly}};
static const MessageEntry BarIMessages[] = {{WM_PAINT, ValidateOnly}};
static const MessageEntry SpeedbarMessages[] = {{WM_PAINT, ValidateOnly}};

DEFINE_TABLE_WNDPROC(CurveWndProc, CurveMessages)
DEFINE_TABLE_WNDPROC(BarsWndProc, BarsMessages)
DEFINE_TABLE_WNDPROC(BarQWndProc, BarQMessages)
DEFINE_TABLE_WNDPROC(BarIWndProc, BarIMessages)
DEFINE_TABLE_WNDPROC(SpeedbarWndProc, SpeedbarMessages)
