// The window procedures of the panes and their scale factors.
#pragma once
#include <windows.h>

// Profile value range 0..2000, four channels and the pixel factors.
void InitProfileRanges();
// Pixel factors and grid tables of both panes from the scale and the pane
// heights in force (after a scale change or the logging screen's layout).
void RebuildPaneScales();

LRESULT CALLBACK CurveWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarsWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarQWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarIWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SpeedbarWndProc(HWND, UINT, WPARAM, LPARAM);
