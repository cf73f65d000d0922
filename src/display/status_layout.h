// Read-out rectangles of the logging screen: sample texts measured, then
// the rectangles placed from the widths (placing alone needs no display).
#pragma once
#include <windows.h>

// Pixel widths of the sample texts that size the read-outs.
struct StatusTextWidths {
    int MapScale;   // "Sc:99999 ft" (landscape) or "S:99999 ft" (portrait)
    int Power;      // "999%"
    int RunState;   // widest of "Stand By", "Logging", "Monitor" (portrait "StB", "Log", "Mon")
    int Battery;    // "B:99.99V"
    int Mode;       // widest of "M", "W", "A" in the bold font
    int Ch4Label;   // widest of "4:", "T:"
    int Mark;       // "M"
    int Fix;        // widest of "NO FIX", "AGPS", "DGPS", "RTK", "CODE"
    int Pdop;       // "P:99.9 "
    int NorthLabel; // widest of "N", "S", "W", "E"
    int Zone;       // "Z33"
    int Speed;      // "Speed:99.99 km/h"
    int SpeedMax;   // "99.99"
};

// Measures the samples; Font.Normal must be selected (the mode letters are
// measured in Font.Bold, which is selected and deselected here).
void MeasureStatusTextWidths(HDC hdc, int portrait, StatusTextWidths* widths);

// Fill the Layout rectangles from Screen, the pane geometry, Layout.StatusY
// (rows 1..13 are StatusY[0..12]) and Layout.StatusLineHeight.
void ComputeLandscapeRects(const StatusTextWidths& widths);
void ComputePortraitRects(const StatusTextWidths& widths);

// Fill the rectangles; the logging window calls one of them, by
// Screen.Portrait, when it is created, with Font.Normal selected.
void LayoutLandscape(HDC hdc);
void LayoutPortrait(HDC hdc);
