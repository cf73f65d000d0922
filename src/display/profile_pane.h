// The profile pane: scale conversion, grid and the scrolling profile step.
#pragma once
#include <windows.h>
#include "settings/settings.h"

// The four channels as the profile shows them, compressed when the
// settings ask for compressed profiles.
void CompressValues(float a1, float a2, float a3, float a4, float* o1, float* o2, float* o3,
                    float* o4);
void ChannelsToPixels(float a1, float a2, float a3, float a4, int profileY[4], int barY[4]);
// Rows 1..Count of a grid table from x1 to x2; row 1 with the 2 px zero pen
// when zeroInside is non-zero, the rest with the 1 px grid pen.
void DrawGridRows(HDC hdc, const GridTable& grid, int x1, int x2, int zeroInside);
void DrawProfileFrame(HDC hdc, int withLabels, float scaleMin, float scaleMax);
void DrawProfileStep(HDC hdc, const int profileY[4]);
// Clears the profile and bar continuity so that the next point starts anew.
void ResetPaneRunState();
