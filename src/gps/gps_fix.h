// The logging window's handling of a decoded position: the GPS read-outs,
// the warning dot, speed, the sensor position, the position store and its
// full-store stop.
#pragma once
#include <windows.h>

// An accepted position sentence (0x40B), the GSA paired with it (0x410) and
// a total station's position (0x40F).
LRESULT HandleGpsFix(HWND, UINT, WPARAM, LPARAM);
LRESULT HandleGpsGsa(HWND, UINT, WPARAM, LPARAM);
LRESULT HandleRtsPosition(HWND, UINT, WPARAM, LPARAM);

// Per-run GPS values cleared at every launch, and the
// GPS time stamps set at the end of a launch.
void ResetGpsRunValues();
void StampGpsTimes(DWORD now);
