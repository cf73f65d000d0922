// Screen classification, scale factors and the first logging-screen layout
// values, all derived from the main window's client size.
#pragma once
#include "app/app_state.h"

// Class, orientation and the size given to full-screen windows for a
// client area of w x h pixels (scales untouched).
void ClassifyScreen(int w, int h, ScreenRecord* screen);
// Scale factors against the 240 x 320 / 320 x 240 reference layout.
void ComputeScreenScales(ScreenRecord* screen);
// The layout values known before the logging window exists.
void ComputeInitialLayout(const ScreenRecord& screen, LayoutRecord* layout);
struct ButtonPlace {
    int X, Y, Width, Height;
};
// Place of main-menu button `index` whose indent is `indent`.
ButtonPlace MenuButtonPlace(const ScreenRecord& screen, int index, int indent);
// Reads the window's client rectangle and classifies the screen from it.
void ClassifyScreenFromWindow(HWND hwnd, ScreenRecord* screen);
