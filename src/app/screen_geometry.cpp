// Screen classification and the reference-layout scale factors.
#include "app/screen_geometry.h"

void ClassifyScreen(int w, int h, ScreenRecord* screen)
{
    screen->Portrait = (w <= h) ? 1 : 0;
    int longSide = screen->Portrait ? h : w;
    if (longSide < 400)
        screen->Class = 1;
    else if (longSide < 701)
        screen->Class = 2;
    else
        screen->Class = 3;

    screen->Width = w;
    screen->Height = h;
    if (screen->Class == 1) {
        screen->Width = screen->Portrait ? 240 : 320;
        screen->Height = screen->Portrait ? 320 : 240;
    } else {
        // The window also covers the task bar's strip, hidden while we run.
        screen->Height += 36;
    }
}

void ComputeScreenScales(ScreenRecord* screen)
{
    if (screen->Class == 1) {
        screen->ScaleX = screen->ScaleY = screen->FontScale = 1.0;
        return;
    }
    screen->FontScale = 2.0;
    if (screen->Portrait) {
        screen->ScaleY = screen->Height / 320.0;
        screen->ScaleX = screen->Width / 240.0;
    } else {
        screen->ScaleY = screen->Height / 240.0;
        screen->ScaleX = screen->Width / 320.0;
    }
}

void ComputeInitialLayout(const ScreenRecord& screen, LayoutRecord* layout)
{
    const double sx = screen.ScaleX, sy = screen.ScaleY, fs = screen.FontScale;
    const int classAdjust = (screen.Class > 1) ? 1 : 0;
    if (screen.Portrait) {
        layout->ProfileLeft = ScaleTrunc(5, sx);
        layout->ProfileTop = ScaleTrunc(13, sy);
        layout->ProfileWidth = ScaleTrunc(231, fs) - classAdjust;
        layout->ProfileHeight = layout->ProfileWidth;
        layout->SpeedbarHeight = ScaleTrunc(5, sy);
        layout->ButtonHeight = ScaleTrunc(16, sy);
        layout->BarsHeight = (screen.Height - 1) -
                             (layout->ProfileTop + layout->ProfileHeight + layout->SpeedbarHeight +
                              ScaleTrunc(11, sy)) -
                             layout->ButtonHeight;
    } else {
        layout->ProfileLeft = 4;
        layout->ProfileTop = 4;
        layout->ProfileWidth = ScaleTrunc(215, fs) - classAdjust;
        layout->ProfileHeight = layout->ProfileWidth;
        layout->SpeedbarHeight = ScaleTrunc(5, sy);
        layout->BarsHeight = ScaleTrunc(80, sy);
    }
    layout->BarsWidth = ScaleTrunc(32, sx);
    layout->BarHalfWidth = (layout->BarsWidth - 2) / 2;
}

ButtonPlace MenuButtonPlace(const ScreenRecord& screen, int index, int indent)
{
    const double sx = screen.ScaleX, sy = screen.ScaleY;
    ButtonPlace place;
    if (screen.Portrait) {
        place.X = ScaleTrunc(101 + indent, sx);
        place.Y = ScaleTrunc(27 * index + 56, sy);
        place.Width = ScaleTrunc(130 - 2 * indent, sx);
        place.Height = ScaleTrunc(26, sy);
    } else {
        place.X = ScaleTrunc(180 + indent, sx);
        place.Y = ScaleTrunc(26 * index + 3, sy);
        place.Width = ScaleTrunc(130 - 2 * indent, sx);
        place.Height = ScaleTrunc(25, sy);
    }
    return place;
}

void ClassifyScreenFromWindow(HWND hwnd, ScreenRecord* screen)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    ClassifyScreen(rc.right - rc.left, rc.bottom - rc.top, screen);
}
