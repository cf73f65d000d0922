// The bar pane: four channel bars on the profile's vertical scale. Each
// reading repaints only the span of a bar that changed.
#include "display/display_state.h"
#include "display/profile_pane.h"
#include "display/bars_pane.h"
#include "app/app_state.h"
#include "settings/settings.h"

BarsRecord Bars;

static int ZeroInside() { return Settings.ProfileScaleMin < 0 && Settings.ProfileScaleMax > 0; }

void DrawBarsFrame(HDC hdc, int width)
{
    DrawGridRows(hdc, Settings.BarGrid, 0, width, ZeroInside());
}

// Row the bars grow from: the top, the zero line or the bottom.
static int BarBaseline()
{
    if (Settings.GridZeroSide < 0) return 0;
    if (Settings.GridZeroSide == 0) return Settings.BarGrid.Row[1];
    return Layout.BarsHeight;
}

static void BarRect(HDC hdc, int left, int a, int right, int b)
{
    if (a == b) return; // nothing changed; a degenerate Rectangle could leave a line
    if (a > b) {
        int t = a;
        a = b;
        b = t;
    }
    Rectangle(hdc, left, a, right, b);
}

static void EraseBar(HDC hdc, int i, int a, int b)
{
    SelectObject(hdc, Gdi.WhitePen);
    SelectObject(hdc, Gdi.WhiteBrush);
    BarRect(hdc, Layout.BarX[i] - 1, a, Layout.BarX[i] + Layout.BarWidth + 1, b);
}

static void FillBar(HDC hdc, int i, int a, int b)
{
    SelectObject(hdc, Gdi.ChannelThinPen[i]);
    SelectObject(hdc, Gdi.ChannelBrush[i]);
    BarRect(hdc, Layout.BarX[i], a, Layout.BarX[i] + Layout.BarWidth, b);
}

static void UpdateOneBar(HDC hdc, int i, int y, int p)
{
    const int bottom = Layout.BarsHeight;
    switch (Settings.GridZeroSide) {
    case -1: // hanging from the top
        if (y <= p)
            EraseBar(hdc, i, p, y);
        else
            FillBar(hdc, i, p, y);
        break;
    case 1: // standing on the bottom
        if (y >= p)
            EraseBar(hdc, i, p, y);
        else
            FillBar(hdc, i, y, p);
        break;
    default: {
        const int z = Settings.BarGrid.Row[1];
        if (y <= z && p < z) {
            if (y >= p)
                EraseBar(hdc, i, p, y);
            else
                FillBar(hdc, i, y, p);
        } else if (y <= z) { // crossed from below zero to above
            EraseBar(hdc, i, bottom, z);
            FillBar(hdc, i, y, z);
        } else if (p >= z) {
            if (y <= p)
                EraseBar(hdc, i, p, y);
            else
                FillBar(hdc, i, y, p);
        } else { // crossed from above zero to below
            EraseBar(hdc, i, p, z);
            FillBar(hdc, i, y, z);
        }
        break;
    }
    }
}

void DrawBars(HDC hdc, const int barY[4])
{
    const int width = Layout.BarsWidth;
    const int bottom = Layout.BarsHeight;
    HGDIOBJ oldPen = SelectObject(hdc, Gdi.WhitePen);
    HGDIOBJ oldBrush = SelectObject(hdc, Gdi.WhiteBrush);

    DrawBarsFrame(hdc, width);
    if (Bars.Initialised == 0) {
        Bars.Initialised = 1;
        Rectangle(hdc, 1, 1, width - 1, bottom);
        int base = BarBaseline();
        for (int i = 0; i < 4; ++i) Bars.PrevY[i] = base;
    }
    DrawBarsFrame(hdc, width);

    for (int i = 0; i < 4; ++i) {
        int y = barY[i];
        UpdateOneBar(hdc, i, y, Bars.PrevY[i]);
        Bars.PrevY[i] = y;
        Bars.LastY[i] = y < 0 ? 0 : (y > bottom ? bottom : y);
    }
    // The grid stays on top of the bars.
    DrawBarsFrame(hdc, width);

    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
}

void RedrawBars(HDC hdc)
{
    HGDIOBJ oldPen = SelectObject(hdc, Gdi.WhitePen);
    HGDIOBJ oldBrush = SelectObject(hdc, Gdi.WhiteBrush);
    Bars.BaseY = BarBaseline();
    for (int i = 0; i < 4; ++i)
        if (Bars.LastY[i] >= 0) FillBar(hdc, i, Bars.LastY[i], Bars.BaseY);
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
}
