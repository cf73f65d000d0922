// The map view. A normal step restores the pixels under the old cross,
// scrolls the pane by BitBlt when the antenna nears an edge (repainting
// only the uncovered stripe), adds the sensor's mark and draws the new
// cross. A whole redraw (a paint, a jump, a new scale) draws the grid and
// every mark from the y-sorted track list.
#include "map/map_view.h"

#include <algorithm>
#include <cstdlib>

#include "app/app_state.h"
#include "app/window_handles.h"
#include "display/display_state.h"
#include "app/diagnostics.h"
#include "gps/gps_state.h"
#include "instrument/acq.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "settings/settings.h"

MapRecord Map;

namespace {

enum { MARK_REACH = 7 }; // the largest mark reaches this far from its pixel
// The cross's 2-pixel pen draws round ends a pixel past the arms: the
// pixels saved under it reach that far too.
enum { CROSS_PEN_REACH = 2 };

HBITMAP UnderCross; // the pixels under the cross

struct Pen {
    HPEN Handle;
    explicit Pen(COLORREF c, int width = 1) : Handle(CreatePen(PS_SOLID, width, c)) {}
    ~Pen() { DeleteObject(Handle); }
};

struct Brush {
    HBRUSH Handle;
    explicit Brush(COLORREF c) : Handle(CreateSolidBrush(c)) {}
    ~Brush() { DeleteObject(Handle); }
};

void Line(HDC hdc, int x0, int y0, int x1, int y1)
{
    POINT p[2] = {{x0, y0}, {x1, y1}};
    Polyline(hdc, p, 2);
}

double GridSpacingPx() { return Settings.MapGridInterval * Map.PixelsPerUnit; }

struct GridStripe {
    HDC Hdc;
    int Lo, Hi; // across the lines
};

void VerticalLine(int x, void* c)
{
    const GridStripe* g = (const GridStripe*)c;
    Line(g->Hdc, x, g->Lo, x, g->Hi + 1);
}

void HorizontalLine(int y, void* c)
{
    const GridStripe* g = (const GridStripe*)c;
    Line(g->Hdc, g->Lo, y, g->Hi + 1, y);
}

// Grid lines crossing the pane rectangle [x0, x1] x [y0, y1].
void DrawGrid(HDC hdc, int x0, int y0, int x1, int y1)
{
    if (Settings.MapGridInterval <= 0) return;
    HGDIOBJ old = SelectObject(hdc, Gdi.GridPen);
    GridStripe vertical = {hdc, y0, y1}, horizontal = {hdc, x0, x1};
    ForEachGridLine(Map.CenterX - Map.ViewLeft, GridSpacingPx(), x0, x1, VerticalLine, &vertical);
    ForEachGridLine(Map.CenterY - Map.ViewTop, GridSpacingPx(), y0, y1, HorizontalLine,
                    &horizontal);
    SelectObject(hdc, old);
}

// Arm of a mark's cross and half side of its square by size code.
const int Cross[7] = {0, 1, 0, 2, 0, 3, 0};
const int Square[7] = {0, 0, 1, 1, 2, 2, 0};

// One mark; size code c, one larger on the bigger screens.
void DrawMark(HDC hdc, int x, int y, int size, COLORREF colour)
{
    const int c = size + (Screen.Class >= 2 ? 1 : 0);
    const int u = std::max(1, (int)Screen.FontScale);
    if (c <= 0) {
        SetPixel(hdc, x, y, colour);
        return;
    }
    const int code = std::min(c, 6);
    if (Cross[code]) {
        const int a = Cross[code] * u;
        Line(hdc, x, y - a, x, y + a);
        Line(hdc, x - a, y, x + a, y);
    }
    const int a = code == 6 ? 5 : Square[code] * u;
    if (a) Rectangle(hdc, x - a, y - a, x + a, y + a);
}

// The marks of a list in the map pixel window [x0, x1] x [y0, y1], at
// their pane places.
void RedrawList(HDC hdc, const PixelList& list, int size, COLORREF colour, int x0, int y0, int x1,
                int y1)
{
    if (!list.Count) return;
    Pen pen(colour);
    Brush brush(colour);
    HGDIOBJ oldPen = SelectObject(hdc, pen.Handle), oldBrush = SelectObject(hdc, brush.Handle);
    for (int i = FirstRowAtOrBelow(list, y0); i < list.Count && list.Y[i] <= y1; ++i)
        if (list.X[i] >= x0 && list.X[i] <= x1)
            DrawMark(hdc, list.X[i] - Map.ViewLeft, list.Y[i] - Map.ViewTop, size, colour);
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
}

// An external file's marks: a million-row file puts tens of thousands in
// the view, too many for a GDI call or three each. They are set as pixels
// of a copy of the pane rectangle [x0, x1] x [y0, y1], the very pixels
// DrawMark draws (lines without their end point, rectangles without their
// right and bottom edge), and the copy is put back with one blit.
void RedrawExternalMarks(HDC hdc, int x0, int y0, int x1, int y1)
{
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    if (!Map.Ext.Count || w <= 0 || h <= 0) return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        RedrawList(hdc, Map.Ext, Settings.MapExternalSize, Settings.MapExternalColor,
                   x0 + Map.ViewLeft - MARK_REACH, y0 + Map.ViewTop - MARK_REACH,
                   x1 + Map.ViewLeft + MARK_REACH, y1 + Map.ViewTop + MARK_REACH);
        return;
    }
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, hdc, x0, y0, SRCCOPY);
    GdiFlush();
    uint32_t* px = (uint32_t*)bits;
    const COLORREF c = Settings.MapExternalColor;
    const uint32_t colour =
        (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c);
    auto fill = [&](int left, int top, int right, int bottom) { // right, bottom excluded
        left = std::max(left, x0), top = std::max(top, y0);
        right = std::min(right, x1 + 1), bottom = std::min(bottom, y1 + 1);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) px[(size_t)(y - y0) * w + (x - x0)] = colour;
    };
    const int code = Settings.MapExternalSize + (Screen.Class >= 2 ? 1 : 0);
    const int u = std::max(1, (int)Screen.FontScale);
    const int arm = code <= 0 ? 0 : Cross[std::min(code, 6)] * u;
    const int half = code <= 0 ? 0 : code >= 6 ? 5 : Square[code] * u;
    const PixelList& list = Map.Ext;
    const int my1 = y1 + Map.ViewTop + MARK_REACH;
    const int mx0 = x0 + Map.ViewLeft - MARK_REACH, mx1 = x1 + Map.ViewLeft + MARK_REACH;
    for (int i = FirstRowAtOrBelow(list, y0 + Map.ViewTop - MARK_REACH);
         i < list.Count && list.Y[i] <= my1; ++i) {
        if (list.X[i] < mx0 || list.X[i] > mx1) continue;
        const int x = list.X[i] - Map.ViewLeft, y = list.Y[i] - Map.ViewTop;
        if (code <= 0) fill(x, y, x + 1, y + 1);
        if (arm) fill(x, y - arm, x + 1, y + arm), fill(x - arm, y, x + arm, y + 1);
        if (half) fill(x - half, y - half, x + half, y + half);
    }
    BitBlt(hdc, x0, y0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
}

// A pane rectangle: white, its grid lines and its marks.
void RepaintRect(HDC hdc, int x0, int y0, int x1, int y1)
{
    RECT r = {x0, y0, x1 + 1, y1 + 1};
    FillRect(hdc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    DrawGrid(hdc, x0, y0, x1, y1);
    const int mx0 = x0 + Map.ViewLeft - MARK_REACH, my0 = y0 + Map.ViewTop - MARK_REACH;
    const int mx1 = x1 + Map.ViewLeft + MARK_REACH, my1 = y1 + Map.ViewTop + MARK_REACH;
    RedrawExternalMarks(hdc, x0, y0, x1, y1);
    RedrawList(hdc, Map.Track, Settings.MapSavedSize, Settings.MapSavedColor, mx0, my0, mx1, my1);
}

void SaveUnderCross(HDC hdc, int px, int py)
{
    const int r = Settings.MapCurrentRadius + CROSS_PEN_REACH, d = 2 * r + 2;
    if (UnderCross) DeleteObject(UnderCross);
    UnderCross = CreateCompatibleBitmap(hdc, d, d);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, UnderCross);
    BitBlt(mem, 0, 0, d, d, hdc, px - r, py - r, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    Map.MarkerSaved = 1;
}

void RestoreUnderCross(HDC hdc)
{
    if (!Map.MarkerSaved || !UnderCross) return;
    const int r = Settings.MapCurrentRadius + CROSS_PEN_REACH, d = 2 * r + 2;
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, UnderCross);
    BitBlt(hdc, Map.PrevX - r, Map.PrevY - r, d, d, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    Map.MarkerSaved = 0;
}

void DrawCross(HDC hdc, int px, int py)
{
    SaveUnderCross(hdc, px, py);
    DrawMapCross(hdc, px, py, Settings.MapCurrentRadius, Settings.MapCurrentColor);
}

void AntennaPixel(int32_t* x, int32_t* y)
{
    MapPixel(Map.AntennaNorthing, Map.AntennaEasting, Map.RefNorthing, Map.RefEasting,
             Map.PixelsPerUnit, Map.CenterX, Map.CenterY, x, y);
}

void RedrawWhole(HDC hdc)
{
    RepaintRect(hdc, 0, 0, Map.SizePx, Map.SizePy);
    Map.MarkerSaved = 0;
    if (!Map.Started) return;
    int32_t x, y;
    AntennaPixel(&x, &y);
    Map.PrevX = x - Map.ViewLeft;
    Map.PrevY = y - Map.ViewTop;
    DrawCross(hdc, Map.PrevX, Map.PrevY);
}

void CentreViewOn(int x, int y)
{
    Map.ViewLeft = x - Map.CenterX + 1;
    Map.ViewRight = x + Map.CenterX - 1;
    Map.ViewTop = y - Map.CenterY + 1;
    Map.ViewBottom = y + Map.CenterY - 1;
}

// Scrolls the pane contents by (-dx, -dy) as the view moves by (dx, dy)
// and repaints the uncovered stripes.
void ScrollView(HDC hdc, int dx, int dy)
{
    const int w = Map.SizePx + 1, h = Map.SizePy + 1;
    BitBlt(hdc, -dx, -dy, w, h, hdc, 0, 0, SRCCOPY);
    if (dx > 0) RepaintRect(hdc, w - dx, 0, w - 1, h - 1);
    if (dx < 0) RepaintRect(hdc, 0, 0, -dx - 1, h - 1);
    if (dy > 0) RepaintRect(hdc, 0, h - dy, w - 1, h - 1);
    if (dy < 0) RepaintRect(hdc, 0, 0, w - 1, -dy - 1);
}

} // namespace

void ResetMapForRun()
{
    const int margin = Screen.Class == 1 ? 3 : 5;
    Map.SizePx = Layout.ProfileWidth - margin;
    Map.SizePy = Layout.ProfileHeight - margin;
    Map.CenterX = Map.SizePx / 2;
    Map.CenterY = Map.SizePy / 2;
    Map.ViewLeft = Map.ViewTop = 0;
    Map.ViewRight = Map.SizePx;
    Map.ViewBottom = Map.SizePy;
    ApplyMapScale();
    Map.PreviousPixelsPerUnit = Map.PixelsPerUnit;
    Map.Started = Map.MarkerSaved = 0;
    Map.Track.Count = 0;
    Map.Track.Capacity = GpsLog.Capacity;
}

void ApplyMapScale()
{
    Map.PreviousPixelsPerUnit = Map.PixelsPerUnit;
    Map.PixelsPerUnit = (double)((float)Map.SizePx / (float)Settings.MapScale);
}

void SetMapOrigin(double northing, double easting)
{
    Map.RefNorthing = northing;
    Map.RefEasting = easting;
}

void SetupMapGrid() { Map.GridInterval = Settings.MapGridInterval; }

void UpdateMap(HWND pane, int32_t fileState, double antennaNorthing, double antennaEasting,
               double sensorNorthing, double sensorEasting)
{
    const MapUpdateTiming timing((long)Map.Track.Count);
    HDC hdc = GetDC(pane);
    Map.AntennaNorthing = antennaNorthing;
    Map.AntennaEasting = antennaEasting;
    int32_t x, y;
    AntennaPixel(&x, &y);
    if (!Map.Started) {
        // The first position of the run: at the centre of a fresh pane.
        Map.Started = 1;
        Map.ViewLeft = x - Map.CenterX, Map.ViewRight = Map.ViewLeft + Map.SizePx;
        Map.ViewTop = y - Map.CenterY, Map.ViewBottom = Map.ViewTop + Map.SizePy;
        RepaintRect(hdc, 0, 0, Map.SizePx, Map.SizePy);
    } else {
        RestoreUnderCross(hdc);
        const int margin = Settings.MapEdgeMarginPx, recenter = Settings.MapRecenterPx;
        const int dx = FollowShift(x, Map.ViewLeft, Map.ViewRight, margin, recenter);
        const int dy = FollowShift(y, Map.ViewTop, Map.ViewBottom, margin, recenter);
        const int jumpX = std::abs(dx) >= Map.SizePx - recenter;
        const int jumpY = std::abs(dy) >= Map.SizePy - recenter;
        Map.ViewLeft += dx, Map.ViewRight += dx;
        Map.ViewTop += dy, Map.ViewBottom += dy;
        if (jumpX || jumpY) {
            // Too far to scroll: a jump on both axes re-centres on the
            // antenna; either way the pane is drawn anew at once.
            if (jumpX && jumpY) CentreViewOn(x, y);
            RepaintRect(hdc, 0, 0, Map.SizePx, Map.SizePy);
        } else if (dx || dy) {
            ScrollView(hdc, dx, dy);
        }
    }
    const int px = x - Map.ViewLeft, py = y - Map.ViewTop;
    // The stored position's mark; its track entry was added when it was
    // stored (AddTrackPosition), so a repaint draws the same marks.
    if (fileState == FILE_RECORDING) {
        int32_t sx, sy;
        MapPixel(sensorNorthing, sensorEasting, Map.RefNorthing, Map.RefEasting, Map.PixelsPerUnit,
                 Map.CenterX, Map.CenterY, &sx, &sy);
        DrawMapMark(hdc, sx - Map.ViewLeft, sy - Map.ViewTop, Settings.MapSavedSize,
                    Settings.MapSavedColor);
    }
    DrawCross(hdc, px, py);
    Map.PrevX = px;
    Map.PrevY = py;
    ReleaseDC(pane, hdc);
}

void AddTrackPosition(double northing, double easting)
{
    int32_t x, y;
    MapPixel(northing, easting, Map.RefNorthing, Map.RefEasting, Map.PixelsPerUnit, Map.CenterX,
             Map.CenterY, &x, &y);
    InsertPixel(&Map.Track, x, y);
}

void RebuildTrackPixels(int mode)
{
    if (!GpsLog.StoreAllocated || GpsLog.StoreCount <= 0) return;
    Map.Track.Count = 0;
    const int n = std::min(GpsLog.StoreCount, GpsLog.MaxPositions);
    int32_t x = 0, y = 0;
    for (int i = 0; i < n; ++i) {
        MapPixel(GpsLog.StoreNorthing[i], GpsLog.StoreEasting[i], Map.RefNorthing, Map.RefEasting,
                 Map.PixelsPerUnit, Map.CenterX, Map.CenterY, &x, &y);
        InsertPixel(&Map.Track, x, y);
    }
    const double lastN = GpsLog.StoreNorthing[n - 1], lastE = GpsLog.StoreEasting[n - 1];
    if (mode == 1) {
        int32_t ox, oy;
        MapPixel(lastN, lastE, Map.RefNorthing, Map.RefEasting, Map.PreviousPixelsPerUnit,
                 Map.CenterX, Map.CenterY, &ox, &oy);
        Map.ViewLeft += x - ox, Map.ViewRight += x - ox;
        Map.ViewTop += y - oy, Map.ViewBottom += y - oy;
    } else if (x <= Map.ViewLeft || x >= Map.ViewRight || y <= Map.ViewTop || y >= Map.ViewBottom) {
        CentreViewOn(x, y);
    }
    Map.MarkerSaved = 0;
    // Redrawing takes a while: not a lost instrument connection.
    Acq.LastDataTick = CeGetTickCount();
}

void PaintMap(HDC hdc) { RedrawWhole(hdc); }

void DrawMapMark(HDC hdc, int x, int y, int size, COLORREF colour)
{
    Pen pen(colour);
    Brush brush(colour);
    HGDIOBJ oldPen = SelectObject(hdc, pen.Handle), oldBrush = SelectObject(hdc, brush.Handle);
    DrawMark(hdc, x, y, size, colour);
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
}

void DrawMapCross(HDC hdc, int x, int y, int r, COLORREF colour)
{
    Pen pen(colour, Screen.Class == 1 ? 1 : 2);
    HGDIOBJ old = SelectObject(hdc, pen.Handle);
    Line(hdc, x - r, y, x + r + 1, y);
    Line(hdc, x, y - r, x, y + r + 1);
    SelectObject(hdc, old);
}
