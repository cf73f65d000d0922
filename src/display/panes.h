// Profile, bar and speed-bar panes of the logging screen.
#pragma once
#include <windows.h>

// Fixed palette, map and channel pens and brushes (created at start-up and
// again when the display options change).
void CreateSharedPensAndBrushes();
// Profile value range 0..2000, four channels and the pixel factors.
void InitProfileRanges();
void ChannelsToPixels(float a1, float a2, float a3, float a4, int profileY[4], int barY[4]);
void DrawProfileFrame(HDC hdc, int withLabels, float scaleMin, float scaleMax);
void DrawProfileStep(HDC hdc, const int profileY[4]);
void DrawBarsFrame(HDC hdc, int width);
void DrawBars(HDC hdc, const int barY[4]);
void RedrawBars(HDC hdc);
// Clears the profile and bar continuity so that the next point starts anew.
void ResetPaneRunState();
// Redraws the profiles from the data file after a scale or view change.
void ReplayProfilesFromFile();

LRESULT CALLBACK CurveWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarsWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarQWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarIWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SpeedbarWndProc(HWND, UINT, WPARAM, LPARAM);
// Profile display options window (channels, colours, widths, scale).
LRESULT CALLBACK DisplayOptionsWndProc(HWND, UINT, WPARAM, LPARAM);
