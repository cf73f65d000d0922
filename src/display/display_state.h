// Drawing state of the profile and bar panes and the shared GDI objects.
#pragma once
#include <windows.h>
#include <cstdint>

struct ProfileRecord {
    int32_t PrevY[4];
    int32_t LastPoints[8];
};

struct BarsRecord {
    int32_t Initialised;
    int32_t PrevY[4];
    int32_t LastY[4];
    int32_t BaseY;
};

struct GdiRecord {
    HPEN WhitePen;
    HBRUSH WhiteBrush;
    HPEN GridPen;          // 1 px light grey
    HPEN ZeroPen;          // 2 px light grey
    HBRUSH LightGreyBrush; // 0xC0C0C0
    HPEN DarkGreyPen;      // 0x404040, 1 px
    HBRUSH GreenBrush;     // 0x00FF00
    HPEN MidGreyPen;       // 0xA0A0A0, 1 px
    HPEN BlackPen;
    HPEN GreenPen;
    HPEN RedPen;  // 0x0000FF (red in the low byte)
    HPEN BluePen; // 0xFF0000
    HBRUSH RedBrush;
    HBRUSH BlueBrush;
    HPEN ChannelPen[8];
    HPEN ChannelThinPen[8];
    HBRUSH ChannelBrush[8];
};

extern ProfileRecord Profile;
extern BarsRecord Bars;
extern GdiRecord Gdi;
