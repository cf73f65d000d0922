// Screen classes, scale factors, the first layout values and the main-menu
// button places for the screen sizes the logger meets.
#include "app/screen_geometry.h"
#include "test_check.h"

static ScreenRecord Classified(int w, int h)
{
    ScreenRecord s = {};
    ClassifyScreen(w, h, &s);
    ComputeScreenScales(&s);
    return s;
}

static void TestSmallScreensAreForcedToReferenceSize()
{
    ScreenRecord p = Classified(240, 320);
    CHECK_EQ(p.Class, 1);
    CHECK_EQ(p.Portrait, 1);
    CHECK_EQ(p.Width, 240);
    CHECK_EQ(p.Height, 320);
    CHECK_NEAR(p.ScaleX, 1.0, 0);
    CHECK_NEAR(p.ScaleY, 1.0, 0);
    CHECK_NEAR(p.FontScale, 1.0, 0);

    ScreenRecord l = Classified(320, 240);
    CHECK_EQ(l.Class, 1);
    CHECK_EQ(l.Portrait, 0);
    CHECK_EQ(l.Width, 320);
    CHECK_EQ(l.Height, 240);

    // A smaller client area (a task bar left visible) still draws at 240 x 320.
    ScreenRecord cut = Classified(240, 294);
    CHECK_EQ(cut.Width, 240);
    CHECK_EQ(cut.Height, 320);
}

static void TestClassBoundariesAndSquare()
{
    CHECK_EQ(Classified(300, 300).Portrait, 1);     // square counts as portrait
    CHECK_EQ(Classified(399, 300).Class, 1);
    CHECK_EQ(Classified(400, 300).Class, 2);
    CHECK_EQ(Classified(300, 400).Class, 2);
    CHECK_EQ(Classified(700, 480).Class, 2);
    CHECK_EQ(Classified(701, 480).Class, 3);
    CHECK_EQ(Classified(480, 701).Class, 3);
    CHECK_EQ(Classified(480, 700).Class, 2);
}

static void TestVgaPortraitScalesAndLayout()
{
    ScreenRecord s = Classified(480, 588);
    CHECK_EQ(s.Class, 2);
    CHECK_EQ(s.Portrait, 1);
    CHECK_EQ(s.Width, 480);
    CHECK_EQ(s.Height, 624);                         // task bar strip added
    CHECK_NEAR(s.ScaleX, 2.0, 1e-12);
    CHECK_NEAR(s.ScaleY, 1.95, 1e-12);
    CHECK_NEAR(s.FontScale, 2.0, 0);

    LayoutRecord l = {};
    ComputeInitialLayout(s, &l);
    CHECK_EQ(l.ProfileLeft, 10);
    CHECK_EQ(l.ProfileTop, 25);                      // trunc(13 x 1.95) = 25
    CHECK_EQ(l.ProfileWidth, 461);
    CHECK_EQ(l.ProfileHeight, 461);
    CHECK_EQ(l.SpeedbarHeight, 9);
    CHECK_EQ(l.ButtonHeight, 31);
    // 623 - (25 + 461 + 9 + 21) - 31
    CHECK_EQ(l.BarsHeight, 76);
    CHECK_EQ(l.BarsWidth, 64);
    CHECK_EQ(l.BarHalfWidth, 31);
}

static void TestReferenceLayouts()
{
    LayoutRecord p = {};
    ComputeInitialLayout(Classified(240, 320), &p);
    CHECK_EQ(p.ProfileLeft, 5);
    CHECK_EQ(p.ProfileTop, 13);
    CHECK_EQ(p.ProfileWidth, 231);                   // no minus one on class 1
    CHECK_EQ(p.ProfileHeight, 231);
    CHECK_EQ(p.ButtonHeight, 16);
    CHECK_EQ(p.BarsHeight, 319 - (13 + 231 + 5 + 11) - 16);
    CHECK_EQ(p.BarsWidth, 32);
    CHECK_EQ(p.BarHalfWidth, 15);

    LayoutRecord l = {};
    ComputeInitialLayout(Classified(320, 240), &l);
    CHECK_EQ(l.ProfileLeft, 4);
    CHECK_EQ(l.ProfileTop, 4);
    CHECK_EQ(l.ProfileWidth, 215);
    CHECK_EQ(l.ProfileHeight, 215);
    CHECK_EQ(l.SpeedbarHeight, 5);
    CHECK_EQ(l.BarsHeight, 80);
    CHECK_EQ(l.BarsWidth, 32);

    // 800 x 480 landscape: class 3, Height 516, ScaleY 2.15, ScaleX 2.5.
    ScreenRecord wide = Classified(800, 480);
    CHECK_EQ(wide.Class, 3);
    CHECK_EQ(wide.Height, 516);
    LayoutRecord w = {};
    ComputeInitialLayout(wide, &w);
    CHECK_EQ(w.ProfileWidth, 429);
    CHECK_EQ(w.BarsHeight, 172);                     // trunc(80 x 2.15)
    CHECK_EQ(w.SpeedbarHeight, 10);
    CHECK_EQ(w.BarsWidth, 80);
    CHECK_EQ(w.BarHalfWidth, 39);
}

static void TestMenuButtonPlaces()
{
    ScreenRecord p = Classified(240, 320);
    ButtonPlace first = MenuButtonPlace(p, 0, 0);
    CHECK_EQ(first.X, 101);
    CHECK_EQ(first.Y, 56);
    CHECK_EQ(first.Width, 130);
    CHECK_EQ(first.Height, 26);
    ButtonPlace middle = MenuButtonPlace(p, 4, 12);
    CHECK_EQ(middle.X, 113);
    CHECK_EQ(middle.Y, 164);
    CHECK_EQ(middle.Width, 106);

    ScreenRecord l = Classified(320, 240);
    ButtonPlace last = MenuButtonPlace(l, 8, 0);
    CHECK_EQ(last.X, 180);
    CHECK_EQ(last.Y, 211);
    CHECK_EQ(last.Height, 25);

    // Scaled and truncated: 480 x 588 portrait, button 1 (indent 5).
    ButtonPlace vga = MenuButtonPlace(Classified(480, 588), 1, 5);
    CHECK_EQ(vga.X, 212);
    CHECK_EQ(vga.Y, 161);                            // trunc(83 x 1.95) = 161.85
    CHECK_EQ(vga.Width, 240);
    CHECK_EQ(vga.Height, 50);                        // trunc(26 x 1.95) = 50.7
}

int main()
{
    TestSmallScreensAreForcedToReferenceSize();
    TestClassBoundariesAndSquare();
    TestVgaPortraitScalesAndLayout();
    TestReferenceLayouts();
    TestMenuButtonPlaces();
    return TestSummary("test_screen_geometry");
}
