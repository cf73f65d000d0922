// Profile, bar and speed-bar panes of the logging screen.
#pragma once
#include <windows.h>

// Fixed palette, map and channel pens and brushes (created at start-up and
// again when the display options change).
void CreateSharedPensAndBrushes();
// Profile value range 0..2000, four channels and the pixel factors.
void InitProfileRanges();
// Pixel factors and grid tables of both panes from the scale and the pane
// heights in force (after a scale change or the logging screen's layout).
void RebuildPaneScales();
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
// Rebuilds the profiles of `window` (the profile pane) from the data file.
void ReplayProfiles(HWND window);
void DrawReplayedProfiles(HWND window, const POINT* list1, const POINT* list2,
                          const POINT* list3, const POINT* list4, int count);
// The four calibrated channel values of a stored reading record (its first
// 13 bytes) with the null offsets in force. Returns 0 when the stored
// reference is zero and the record cannot be decoded.
int DecodeStoredReading(const unsigned char* record, const float offsets[4], float channels[4]);
// Walks the data file backwards from its current position as the replay
// does, handing each finished stretch of points to draw(context, lists,
// count); leaves the file position where it found it.
typedef void (*ReplayDrawFunction)(void* context, const POINT* const lists[4], int count);
void WalkProfileRecords(HANDLE file, int recordLength, int startX, const float offsets[4],
                        ReplayDrawFunction draw, void* context);

LRESULT CALLBACK CurveWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarsWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarQWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK BarIWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SpeedbarWndProc(HWND, UINT, WPARAM, LPARAM);
// Profile display options window (channels, colours, widths, scale).
LRESULT CALLBACK DisplayOptionsWndProc(HWND, UINT, WPARAM, LPARAM);
