// The scrolling profile pane: value-to-row conversion, the grid and scale
// labels, and the two-pixel step drawn for each recorded reading.
#include "display/display_state.h"
#include "display/profile_pane.h"
#include "app/app_state.h"
#include "settings/settings.h"
#include "instrument/reading_rules.h"
#include <cstdio>
#include <cwchar>

ProfileRecord Profile;

void CompressValues(float a1, float a2, float a3, float a4, float* o1, float* o2, float* o3,
                    float* o4)
{
    int compressed = Settings.CompressedProfiles;
    *o1 = CompressValue(a1, compressed);
    *o2 = CompressValue(a2, compressed);
    *o3 = CompressValue(a3, compressed);
    *o4 = CompressValue(a4, compressed);
}

void ChannelsToPixels(float a1, float a2, float a3, float a4, int profileY[4], int barY[4])
{
    const float values[4] = {a1, a2, a3, a4};
    for (int i = 0; i < 4; ++i) {
        float fromTop = Settings.ProfileScaleMax - values[i];
        // Out-of-range values give rows outside the pane; the window clips them.
        profileY[i] = (int)(fromTop * Settings.ProfilePixelsPerUnit);
        barY[i] = (int)(fromTop * Settings.BarPixelsPerUnit);
    }
}

static void HorizontalLine(HDC hdc, int x1, int x2, int y)
{
    POINT line[2] = {{x1, y}, {x2, y}};
    Polyline(hdc, line, 2);
}

void DrawGridRows(HDC hdc, const GridTable& grid, int x1, int x2, int zeroInside)
{
    HGDIOBJ oldPen = SelectObject(hdc, zeroInside ? Gdi.ZeroPen : Gdi.GridPen);
    int count = grid.Count > 9 ? 9 : grid.Count;
    for (int k = 1; k <= count; ++k) {
        if (k == 2) SelectObject(hdc, Gdi.GridPen);
        HorizontalLine(hdc, x1, x2, grid.Row[k]);
    }
    SelectObject(hdc, oldPen);
}

static int TextWidth(HDC hdc, const wchar_t* text)
{
    SIZE size = {};
    GetTextExtentExPointW(hdc, text, (int)wcslen(text), 0, nullptr, nullptr, &size);
    return size.cx;
}

static void DrawScaleLabel(HDC hdc, float value, int y)
{
    wchar_t text[32];
    swprintf(text, 32, L"%.0f", (double)value);
    int x = Layout.ProfileWidth - TextWidth(hdc, text) - 3;
    if (x < 175) x = 175; // keep clear of the newest profile columns
    ExtTextOutW(hdc, x, y, 0, nullptr, text, (UINT)wcslen(text), nullptr);
}

void DrawProfileFrame(HDC hdc, int withLabels, float scaleMin, float scaleMax)
{
    DrawGridRows(hdc, Settings.ProfileGrid, 0, Layout.ProfileWidth, scaleMin < 0 && scaleMax > 0);
    if (withLabels == 1) {
        // The read-outs' font: a pane's own is the desktop's, too small on VGA.
        HGDIOBJ oldFont = SelectObject(hdc, Font.Normal);
        DrawScaleLabel(hdc, scaleMin, Layout.ProfileHeight - Screen.TextHeight - 1);
        DrawScaleLabel(hdc, scaleMax, 0);
        SelectObject(hdc, oldFont);
    }
}

void DrawProfileStep(HDC hdc, const int profileY[4])
{
    const int w = Layout.ProfilePoints;
    const int h = Layout.ProfileHeight;

    BitBlt(hdc, 0, 0, w - 1, h, hdc, 2, 0, SRCCOPY);

    // The new columns are cleared, and two more: the round end of a pen up
    // to 5 px wide reaches two columns past the newest point, and those
    // columns are never scrolled.
    const int lastCleared = w + 3;
    HGDIOBJ oldPen = SelectObject(hdc, Gdi.WhitePen);
    for (int x = w - 1; x <= lastCleared; ++x) {
        POINT column[2] = {{x, 0}, {x, h}};
        Polyline(hdc, column, 2);
    }
    // Lines stop one pixel short of their end point.
    DrawGridRows(hdc, Settings.ProfileGrid, w - 1, lastCleared + 1,
                 Settings.ProfileScaleMin < 0 && Settings.ProfileScaleMax > 0);

    for (int i = 0; i < 4; ++i) {
        if (Settings.ChannelShown[i] != 1) continue;
        SelectObject(hdc, Gdi.ChannelPen[i]);
        if (Profile.LastPoints[i]) {
            POINT segment[2] = {{w - 2, Profile.PrevY[i]}, {w, profileY[i]}};
            Polyline(hdc, segment, 2);
        } else {
            // A zero-length line leaves no pixel with a thin pen; one pixel
            // to the right makes the starting dot visible at x = w.
            POINT dot[2] = {{w, profileY[i]}, {w + 1, profileY[i]}};
            Polyline(hdc, dot, 2);
            Profile.LastPoints[i] = 1;
        }
        Profile.PrevY[i] = profileY[i];
    }
    SelectObject(hdc, oldPen);
}

void ResetPaneRunState()
{
    for (int i = 0; i < 8; ++i) Profile.LastPoints[i] = 0;
    Bars.Initialised = 0;
}
