// The few hand-held (Windows CE) system calls the logger relies on, with
// their desktop equivalents. Nothing outside this module knows the
// difference.
#pragma once
#include <windows.h>
#include <cstdint>

// Millisecond tick of the emulated device: GetTickCount underneath, shifted
// so that the device's uptime at program start can be chosen (QOR_UPTIME_MS
// in the environment; default: the host's own uptime). Wraps like
// GetTickCount.
DWORD CeGetTickCount();

// EventModify with EVENT_RESET (2) or EVENT_SET (3).
enum { CE_EVENT_PULSE = 1, CE_EVENT_RESET = 2, CE_EVENT_SET = 3 };
BOOL CeEventModify(HANDLE h, DWORD func);

void CeSystemIdleTimerReset();

// Main battery charge as the hand-held reports it (BatteryLifePercent);
// 255 = unknown, as on CE.
struct CePowerStatus {
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
};
BOOL CeGetSystemPowerStatusEx2(CePowerStatus* status, DWORD length, BOOL update);

// Soft input panel: state 0 raises it, 2 forces it down.
BOOL CeSipPreference(HWND hwnd, int state);

// Height of a command bar window (0 on the desktop, where there is none).
int CeCommandBarHeight(HWND hCommandBar);

// Shell windows of the hand-held ("HHTaskBar", "MS_SIPBUTTON"); NULL when
// there is none.
HWND CeFindShellWindow(const wchar_t* className, const wchar_t* title);

// A top-level window created with WS_VISIBLE and CW_USEDEFAULT has no caption
// and covers the work area on the hand-held; give it that behaviour here.
// Where the screen has no task bar at its bottom, the hand-held's 36-pixel
// task-bar strip is left out of that area (the main window covers it).
HWND CeCreateTopLevelWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                            DWORD style, int x, int y, int w, int h, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param);

// Child windows on the hand-held never draw over their siblings (the
// sibling clipping is implicit there); give every child window that here.
HWND CeCreateChildWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                         int x, int y, int w, int h, HWND parent, int id, HINSTANCE instance,
                         void* param);

// Opens a serial device named "COMn:" so that ports above 9 also work on
// the desktop (where they need the \\.\COMn form).
HANDLE CeCreateCommFile(const wchar_t* deviceName, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags);

// Device file system root: "\KVTINI" and "Storage\KVTINI" both resolve
// against the program's working directory at start. Returns out.
wchar_t* CeDevicePath(const wchar_t* path, wchar_t* out, size_t outChars);
// Fixes the device root (the current working directory) and the tick
// origin; the first thing the program does.
void CeInitDeviceRoot();

// Brings a window and the windows it owns to the front (on the hand-held:
// SetForegroundWindow with the handle's lowest bit set).
BOOL CeBringWindowToFront(HWND hwnd);

// The device's memory. QOR_AVAIL_PHYS (tools/qor-run --avail-phys) stands
// for a hand-held with that much free physical memory.
void CeGlobalMemoryStatus(MEMORYSTATUS* status);

// The colour chooser ("ChooseColor" of "COMMDLG.DLL" on the hand-held,
// ChooseColorW of comdlg32 on the desktop); NULL when neither is there.
// Call it as BOOL WINAPI (CHOOSECOLORW*).
FARPROC CeLoadChooseColor();

// The hand-held's "MS Sans Serif" is a scalable face that renders any cell
// height asked for; the desktop's is a bitmap font with a few fixed sizes,
// which comes out taller than asked for (and Wine substitutes yet another
// face). The logger's fonts are made here, by cell height, from a scalable
// TrueType face in its place, so that text is as tall as the layout assumes.
HFONT CeCreateFontIndirect(const LOGFONTW* lf);

// Metrics of the font a fresh device context carries on the hand-held: its
// system font, the same face at 9 points of the screen's density (twice the
// pixels, densityScale 2, on a VGA screen). The desktop's system font
// follows neither the face nor the emulated density, so it is not asked.
BOOL CeGetDefaultTextMetrics(HDC hdc, double densityScale, TEXTMETRICW* tm);

// Names the calling thread where the system keeps thread names (the
// desktop's SetThreadDescription, which Wine hands on to the host's thread
// list, so that a profiler can tell the readers apart); the hand-held has
// none, and there it does nothing.
void CeNameThread(const wchar_t* name);
