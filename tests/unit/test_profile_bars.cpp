// Profile and bar panes drawn into a memory bitmap: rows from values, the
// two-pixel scroll, first dots and joins, hidden channels, bars for each
// zero side with the grid on top, and the repaint from the clamped rows.
#include "display/display_state.h"
#include "display/gdi_objects.h"
#include "display/pane_windows.h"
#include "display/profile_pane.h"
#include "display/bars_pane.h"
#include "app/app_state.h"
#include "settings/settings.h"
#include "test_check.h"
#include <cstdint>
#include <initializer_list>

static const COLORREF kWhite = RGB(255, 255, 255), kGrey = RGB(0xC0, 0xC0, 0xC0);
static const COLORREF kChannel[4] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 128, 0),
                                     RGB(128, 0, 128)};

struct Canvas {
    HDC Dc;
    uint32_t* Bits;
    int Width;
};

static Canvas MakeCanvas(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Canvas c = {CreateCompatibleDC(nullptr), (uint32_t*)bits, width};
    SelectObject(c.Dc, bitmap);
    PatBlt(c.Dc, 0, 0, width, height, WHITENESS);
    return c;
}

static COLORREF At(const Canvas& c, int x, int y)
{
    GdiFlush();
    uint32_t v = c.Bits[y * c.Width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

static void SetScale(float min, float max, int zeroRow)
{
    Settings.ProfileScaleMin = min;
    Settings.ProfileScaleMax = max;
    Settings.ProfilePixelsPerUnit = Layout.ProfileHeight / (max - min);
    Settings.BarPixelsPerUnit = Layout.BarsHeight / (max - min);
    Settings.GridZeroSide = min < 0 && max > 0 ? 0 : (min >= 0 ? 1 : -1);
    Settings.BarGrid = {4, {0, zeroRow, 48, 32, 16}};
    ResetPaneRunState();
}

static void TestRowsAndStartUp()
{
    InitProfileRanges();
    CHECK_EQ(Layout.ProfilePoints, 167); // the newest column of a small screen
    CHECK_NEAR(Settings.BarPixelsPerUnit, 80.0 / 2000.0, 1e-7);
    SetScale(0, 500, 63); // 0.4 px per unit on 200 rows
    int p[4], b[4];
    ChannelsToPixels(250, 600, 501, -1, p, b);
    CHECK_EQ(p[0], 100);
    CHECK_EQ(b[0], 40);
    CHECK_EQ(p[1], -40); // above the maximum: not clamped
    CHECK_EQ(b[1], -16);
    CHECK_EQ(p[2], 0); // truncated toward zero
    CHECK_EQ(p[3], 200);
}

static void TestProfileStep()
{
    SetScale(0, 500, 63);
    Settings.ProfileGrid = {4, {0, 159, 119, 79, 39}};
    Canvas c = MakeCanvas(Layout.ProfileWidth, Layout.ProfileHeight);
    const int w = Layout.ProfilePoints;
    DrawProfileFrame(c.Dc, 0, 0, 500);
    CHECK_EQ(At(c, 200, 39), kGrey);
    Settings.ChannelShown[3] = 0;
    SetPixel(c.Dc, 100, 10, RGB(0, 0, 0));

    int first[4] = {100, 50, 150, 20};
    DrawProfileStep(c.Dc, first);
    CHECK_EQ(At(c, 98, 10), RGB(0, 0, 0)); // everything moved two to the left
    CHECK_EQ(At(c, 100, 10), kWhite);
    CHECK_EQ(At(c, w, 100), kChannel[0]); // a first point is a dot
    CHECK_EQ(At(c, w - 1, 100), kWhite);
    CHECK_EQ(At(c, w, 150), kChannel[2]);
    CHECK_EQ(At(c, w, 20), kWhite); // hidden channel
    for (int x = w - 1; x <= w + 3; ++x) CHECK_EQ(At(c, x, 119), kGrey);

    int second[4] = {110, 50, 140, 20};
    DrawProfileStep(c.Dc, second);
    CHECK_EQ(At(c, w - 2, 100), kChannel[0]); // the dot, joined to the new point
    CHECK(At(c, w - 1, 104) == kChannel[0] || At(c, w - 1, 105) == kChannel[0]);
    CHECK_EQ(At(c, w - 1, 50), kChannel[1]);

    ResetPaneRunState(); // a new line is not joined
    int third[4] = {30, 50, 140, 20};
    DrawProfileStep(c.Dc, third);
    CHECK_EQ(At(c, w, 30), kChannel[0]);
    CHECK_EQ(At(c, w - 1, 70), kWhite);

    // A wide pen's round end passes the newest column; the next step clears it.
    Settings.ChannelPenWidth[0] = 4;
    CreateSharedPensAndBrushes();
    int wideFirst[4] = {60, 50, 140, 20}, wideSecond[4] = {180, 50, 140, 20};
    DrawProfileStep(c.Dc, wideFirst);
    DrawProfileStep(c.Dc, wideSecond);
    for (int x = w + 1; x <= w + 4; ++x) CHECK_EQ(At(c, x, 60), kWhite);
    Settings.ChannelPenWidth[0] = 1;
    CreateSharedPensAndBrushes();
    Settings.ChannelShown[3] = 1;
}

// Draws one reading of bar 0 (the others unchanged); true when bar 0 is
// filled at the rows `filled` and white at the rows `empty`.
static bool Bar0(const Canvas& c, int y0, std::initializer_list<int> filled,
                 std::initializer_list<int> empty)
{
    int y[4] = {y0, Bars.PrevY[1], Bars.PrevY[2], Bars.PrevY[3]};
    DrawBars(c.Dc, y);
    bool ok = true;
    for (int row : filled) ok = ok && At(c, 4, row) == kChannel[0];
    for (int row : empty) ok = ok && At(c, 4, row) == kWhite;
    return ok;
}

static void TestBars()
{
    Canvas c = MakeCanvas(Layout.BarsWidth, Layout.BarsHeight);
    // Standing on the bottom; a hidden channel still has its bar, and a value
    // above the maximum fills to the top.
    SetScale(0, 500, 63);
    Settings.ChannelShown[3] = 0;
    int y1[4] = {40, 0, 80, -16};
    DrawBars(c.Dc, y1);
    CHECK_EQ(At(c, 4, 60), kChannel[0]);
    CHECK_EQ(At(c, 4, 39), kWhite);
    CHECK_EQ(At(c, 4, 63), kGrey);   // grid on top of the bar
    CHECK_EQ(At(c, 18, 70), kWhite); // at the minimum: no bar
    CHECK_EQ(At(c, 25, 0), kChannel[3]);
    CHECK_EQ(Bars.LastY[3], 0);
    Settings.ChannelShown[3] = 1;
    CHECK(Bar0(c, 60, {70}, {50}));      // shrinks
    CHECK_EQ(At(c, 9, 60), kChannel[1]); // the erase spares the neighbour
    CHECK(Bar0(c, 20, {30}, {19}));      // grows
    PatBlt(c.Dc, 0, 0, 32, 80, WHITENESS);
    RedrawBars(c.Dc);
    CHECK_EQ(At(c, 4, 30), kChannel[0]);
    CHECK_EQ(At(c, 11, 0), kChannel[1]);

    // Hanging from the top.
    SetScale(-500, 0, 63);
    CHECK(Bar0(c, 40, {20}, {50}));
    CHECK(Bar0(c, 20, {10}, {30}));

    // Around a zero line at row 64: up, across, deeper, back up.
    SetScale(-100, 400, 64);
    CHECK(Bar0(c, 40, {50}, {70}));
    CHECK_EQ(At(c, 4, 64), kGrey);
    CHECK(Bar0(c, 74, {70}, {50}));
    CHECK(Bar0(c, 78, {76}, {}));
    CHECK(Bar0(c, 68, {67}, {72}));
    CHECK(Bar0(c, 30, {35}, {67}));
    CHECK(Bar0(c, 50, {55}, {40}));
    PatBlt(c.Dc, 0, 0, 32, 80, WHITENESS);
    RedrawBars(c.Dc);
    CHECK_EQ(Bars.BaseY, 64);
    CHECK_EQ(At(c, 4, 55), kChannel[0]);
    CHECK_EQ(At(c, 4, 45), kWhite);
}

int main()
{
    Layout.ProfileWidth = 215;
    Layout.ProfileHeight = 200;
    Layout.BarsWidth = 32;
    Layout.BarsHeight = 80;
    for (int i = 0; i < 4; ++i) Layout.BarX[i] = 2 + 7 * i;
    Layout.BarWidth = 5;
    for (int i = 0; i < 8; ++i) {
        Settings.ChannelShown[i] = 1;
        Settings.ChannelPenWidth[i] = 1;
        Settings.ChannelColor[i] = kChannel[i % 4];
    }
    CreateSharedPensAndBrushes();
    TestRowsAndStartUp();
    TestProfileStep();
    TestBars();
    return TestSummary("test_profile_bars");
}
