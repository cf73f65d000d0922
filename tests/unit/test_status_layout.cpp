// The speed read-out text, and the read-out rectangles of the logging
// screen in both arrangements placed against each other.
#include "display/status_area.h"
#include "display/status_geometry.h"
#include "app/app_state.h"
#include "test_check.h"
#include <string>

static void TestSpeedText()
{
    struct Case { int Units, SpeedUnits; const char* Text; };
    const Case cases[] = {
        {0, 0, "Speed: 2.00 m/s"}, {0, 1, "Speed: 6.56 ft/s"}, {0, 2, "Speed: 7.20 km/h"},
        {0, 3, "Speed: 4.47 mph"}, {1, 0, "Speed: 0.61 m/s"}, {1, 1, "Speed: 2.00 ft/s"},
        {1, 2, "Speed: 2.19 km/h"}, {1, 3, "Speed: 1.36 mph"},
        {2, 0, "Speed: 0.61 m/s"},                       // US survey feet count as feet
    };
    for (const Case& c : cases) {
        wchar_t text[64];
        FormatSpeedText(text, 64, 2.0f, c.Units, c.SpeedUnits);
        CHECK_STR(std::string(text, text + wcslen(text)), c.Text);
    }
}

static const StatusTextWidths kWidths = {58, 26, 44, 48, 10, 10, 9, 38, 36, 8, 20, 92, 26};
static const int R = 13;

// A class 1 screen with the rows the logging window gives for row height R.
static void SetSmallScreen(int portrait)
{
    Screen = ScreenRecord{1, portrait, portrait ? 240 : 320, portrait ? 320 : 240, 0, 0, 1, 1, 1, 16, 6, 0};
    Layout = LayoutRecord{};
    Layout.StatusLineHeight = R;
    Layout.BarsWidth = 32;
    int* y = Layout.StatusY;
    if (portrait) {
        Layout.ProfileLeft = 5; Layout.ProfileTop = 13; Layout.ProfileWidth = Layout.ProfileHeight = 231;
        y[3] = 13 + 231 + 10 + 5 - 1;
        for (int i = 4; i <= 6; ++i) y[i] = y[i - 1] + R;
        for (int i = 7; i <= 10; ++i) y[i] = y[i - 4];
        y[11] = y[10] + R; y[12] = y[11] + R;
    } else {
        Layout.ProfileLeft = Layout.ProfileTop = 4; Layout.ProfileWidth = Layout.ProfileHeight = 215;
        y[0] = 1; y[1] = 1 + R; y[2] = 28 + 80 + 1;
        for (int i = 3; i <= 6; ++i) y[i] = y[i - 1] + R;
        y[7] = y[6] + R + 2; y[8] = y[7] + R; y[9] = y[8] + R + 2;
        for (int i = 10; i <= 12; ++i) y[i] = y[i - 1] + R;
    }
}

static void TestLandscape()
{
    SetSmallScreen(0);
    ComputeLandscapeRects(kWidths);
    const int x0 = 223;
    CHECK_EQ(Layout.RunStateRect.bottom - Layout.RunStateRect.top, R + 3);
    CHECK_EQ(Layout.FileRect.top, 109);
    CHECK_EQ(Layout.ModeRect.left - Layout.FileRect.right, 3);
    CHECK_EQ(Layout.Ch1Rect.left, x0 + 12);
    CHECK_EQ(Layout.Ch4Rect.top, 109 + 4 * R);
    CHECK_EQ(Layout.LineRect.top, Layout.Ch4Rect.bottom + 2);
    CHECK_EQ(Layout.LineRect.left, x0 + 20);
    CHECK_EQ(Layout.FixRect.top, Layout.StationRect.bottom + 2);
    // Fix, two boxes 10 wide and the fix count chained along row 10.
    CHECK_EQ(Layout.GpsBox1Rect.left, Layout.FixRect.right + 1);
    CHECK_EQ(Layout.GpsBox2Rect.left, Layout.GpsBox1Rect.right + 3);
    CHECK_EQ(Layout.FixCountRect.left, Layout.GpsBox2Rect.right + 3);
    CHECK_EQ(Layout.GpsInfoRect.left, Layout.PdopRect.right + 9);
    CHECK_EQ(Layout.EastRect.top, Layout.NorthRect.bottom);
    CHECK_EQ(Layout.SpeedRect.top, 215 + 4);
    CHECK_EQ(Layout.SpeedRect.left, 71);
    CHECK(EqualRect(&Layout.Conn1Rect, &Layout.Ch2Rect) && EqualRect(&Layout.Conn2Rect, &Layout.Ch3Rect));
}

static void TestPortrait()
{
    SetSmallScreen(1);
    ComputePortraitRects(kWidths);
    // Row 1 from the left: run state, mode, file, battery, map scale, power.
    const RECT* row1[6] = {&Layout.RunStateRect, &Layout.ModeRect, &Layout.FileRect,
                           &Layout.BatteryRect, &Layout.MapScaleRect, &Layout.PowerRect};
    const int gaps[5] = {2, 4, 1, 1, 1};
    for (int i = 1; i < 6; ++i) CHECK_EQ(row1[i]->left - row1[i - 1]->right, gaps[i - 1]);
    CHECK_EQ(Layout.PowerRect.right, 240);
    // Channels beside the bar pane; line, station, GPS in a second column.
    CHECK_EQ(Layout.Ch1Rect.left, 5 + 32 + 4 + 12);
    CHECK_EQ(Layout.Ch3Rect.right, 135);
    CHECK_EQ(Layout.Ch2Rect.top, 258 + R);
    CHECK_EQ(Layout.LineRect.top, Layout.Ch1Rect.top);
    CHECK_EQ(Layout.LineRect.left, 160);
    CHECK_EQ(Layout.FixRect.top, Layout.Ch3Rect.top);
    CHECK_EQ(Layout.FixRect.left, 140);
    CHECK_EQ(Layout.PdopRect.top, Layout.Ch4Rect.top);
    CHECK_EQ(Layout.NorthRect.top, Layout.PdopRect.bottom);
    CHECK_EQ(Layout.SpeedRect.top, 13 + 231 - 2);
    CHECK_EQ(Layout.SpeedRect.left, 80);
}

int main()
{
    TestSpeedText();
    TestLandscape();
    TestPortrait();
    return TestSummary("test_status_layout");
}
