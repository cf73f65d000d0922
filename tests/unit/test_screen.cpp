// Screen classes at their boundaries, the scale factors and first layout
// values of a VGA screen and the speed read-out text in every unit pairing
// (the layouts of the common sizes are probed on the screen by the
// end-to-end tests, the windows' fit by test_window_fit).
#include "app/screen_geometry.h"
#include "display/status_paint.h"
#include "test_check.h"
#include <cwchar>
#include <string>

static ScreenRecord Classified(int w, int h)
{
    ScreenRecord s = {};
    ClassifyScreen(w, h, &s);
    ComputeScreenScales(&s);
    return s;
}

static void TestClassBoundariesAndSquare()
{
    CHECK_EQ(Classified(300, 300).Portrait, 1); // square counts as portrait
    const int classes[][3] = {{399, 300, 1}, {400, 300, 2}, {300, 400, 2}, {700, 480, 2},
                              {701, 480, 3}, {480, 701, 3}, {480, 700, 2}};
    for (const auto& c : classes) CHECK_EQ(Classified(c[0], c[1]).Class, c[2]);
    // A smaller client area (a task bar left visible) still draws at 240 x 320.
    ScreenRecord cut = Classified(240, 294);
    CHECK(cut.Class == 1 && cut.Width == 240 && cut.Height == 320 && cut.FontScale == 1.0);
}

static void TestVgaPortraitScalesAndLayout()
{
    ScreenRecord s = Classified(480, 588);
    CHECK_EQ(s.Class, 2);
    CHECK_EQ(s.Portrait, 1);
    CHECK_EQ(s.Width, 480);
    CHECK_EQ(s.Height, 624); // task bar strip added
    CHECK_NEAR(s.ScaleX, 2.0, 1e-12);
    CHECK_NEAR(s.ScaleY, 1.95, 1e-12);
    CHECK_NEAR(s.FontScale, 2.0, 0);

    LayoutRecord l = {};
    ComputeInitialLayout(s, &l);
    CHECK_EQ(l.ProfileLeft, 10);
    CHECK_EQ(l.ProfileTop, 25); // trunc(13 x 1.95) = 25
    CHECK_EQ(l.ProfileWidth, 461);
    CHECK_EQ(l.ProfileHeight, 461);
    CHECK_EQ(l.SpeedbarHeight, 9);
    CHECK_EQ(l.ButtonHeight, 31);
    // 623 - (25 + 461 + 9 + 21) - 31
    CHECK_EQ(l.BarsHeight, 76);
    CHECK_EQ(l.BarsWidth, 64);
    CHECK_EQ(l.BarHalfWidth, 31);
}

static void TestSpeedText()
{
    struct Case {
        int Units, SpeedUnits;
        const char* Text;
    };
    const Case cases[] = {
        {0, 0, "Speed: 2.00 m/s"},  {0, 1, "Speed: 6.56 ft/s"},
        {0, 2, "Speed: 7.20 km/h"}, {0, 3, "Speed: 4.47 mph"},
        {1, 0, "Speed: 0.61 m/s"},  {1, 1, "Speed: 2.00 ft/s"},
        {1, 2, "Speed: 2.19 km/h"}, {1, 3, "Speed: 1.36 mph"},
        {2, 0, "Speed: 0.61 m/s"}, // US survey feet count as feet
    };
    for (const Case& c : cases) {
        wchar_t text[64];
        FormatSpeedText(text, 64, 2.0f, c.Units, c.SpeedUnits);
        CHECK_STR(std::string(text, text + wcslen(text)), c.Text);
    }
}

int main()
{
    TestSpeedText();
    TestClassBoundariesAndSquare();
    TestVgaPortraitScalesAndLayout();
    return TestSummary("test_screen");
}
