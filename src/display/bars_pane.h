// The bar pane: one bar per channel, redrawn only where it changed.
#pragma once
#include <windows.h>

void DrawBarsFrame(HDC hdc, int width);
void DrawBars(HDC hdc, const int barY[4]);
void RedrawBars(HDC hdc);
