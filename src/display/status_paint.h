// The logging screen's read-outs: its WM_PAINT and the drawing helpers
// the handlers that own each read-out use.
#pragma once
#include <windows.h>
#include <cstddef>

LRESULT PaintLoggingWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Status-area initialisation done by every launch.
void InitStatusArea(HWND hwnd);
// Draws text into a read-out: clears rect (light grey) and draws clipped.
void DrawReadout(HDC hdc, const RECT& rect, const wchar_t* text);
// Clears a read-out (light grey) and draws nothing.
void ClearReadout(HDC hdc, const RECT& rect);
// Clears a channel value box: green while recording, else light grey.
void ClearValueBox(HDC hdc, const RECT& rect);
// The speed read-out text ("Speed:%5.2f m/s" ...) of a speed in the distance
// unit of `units` per second, converted to `speedUnits`; returns the value shown.
double FormatSpeedText(wchar_t* out, size_t outChars, float speed, int units, int speedUnits);
