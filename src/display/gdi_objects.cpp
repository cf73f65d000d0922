// The pens and brushes every pane and read-out draws with. The fixed palette
// is made once; the channel objects follow the display options and are
// remade whenever those change.
#include "display/display_state.h"
#include "display/gdi_objects.h"
#include "settings/settings.h"

GdiRecord Gdi;

static HPEN MakeSolidPen(int width, COLORREF color)
{
    LOGPEN pen = {};
    pen.lopnStyle = PS_SOLID;
    pen.lopnWidth.x = width;
    pen.lopnColor = color;
    return CreatePenIndirect(&pen);
}

static void CreateFixedPalette()
{
    Gdi.ZeroPen = MakeSolidPen(2, RGB(0xC0, 0xC0, 0xC0));
    Gdi.GridPen = MakeSolidPen(1, RGB(0xC0, 0xC0, 0xC0));
    Gdi.DarkGreyPen = MakeSolidPen(1, RGB(0x40, 0x40, 0x40));
    Gdi.MidGreyPen = MakeSolidPen(1, RGB(0xA0, 0xA0, 0xA0));
    Gdi.BlackPen = MakeSolidPen(1, RGB(0, 0, 0));
    Gdi.WhitePen = MakeSolidPen(1, RGB(0xFF, 0xFF, 0xFF));
    Gdi.GreenPen = MakeSolidPen(1, RGB(0, 0xFF, 0));
    Gdi.RedPen = MakeSolidPen(1, RGB(0xFF, 0, 0));
    Gdi.BluePen = MakeSolidPen(1, RGB(0, 0, 0xFF));
    Gdi.LightGreyBrush = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
    Gdi.WhiteBrush = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
    Gdi.GreenBrush = CreateSolidBrush(RGB(0, 0xFF, 0));
    Gdi.RedBrush = CreateSolidBrush(RGB(0xFF, 0, 0));
    Gdi.BlueBrush = CreateSolidBrush(RGB(0, 0, 0xFF));
}

template <typename T>
static void DeleteAndClear(T& object)
{
    if (object) DeleteObject(object);
    object = nullptr;
}

void CreateSharedPensAndBrushes()
{
    if (!Gdi.WhitePen) CreateFixedPalette();

    // Callers must not have these selected into a DC any more: a pane's DC is
    // always released (or its old objects restored) before options change.
    for (int i = 0; i < 8; ++i) {
        DeleteAndClear(Gdi.ChannelPen[i]);
        DeleteAndClear(Gdi.ChannelThinPen[i]);
        DeleteAndClear(Gdi.ChannelBrush[i]);
        int width = Settings.ChannelPenWidth[i];
        if (width < 1) width = 1; // a zero width would become a 1 px cosmetic pen anyway
        COLORREF color = Settings.ChannelColor[i];
        Gdi.ChannelPen[i] = MakeSolidPen(width, color);
        Gdi.ChannelThinPen[i] = MakeSolidPen(1, color);
        Gdi.ChannelBrush[i] = CreateSolidBrush(color);
    }
}
