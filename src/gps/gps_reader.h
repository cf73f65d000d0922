// GPS input: sentence selection per GPS type, the reader threads and the
// GPS monitor window. The full NMEA parser arrives with the GPS work.
#pragma once
#include <windows.h>

void InitGpsSentenceSet(int gpsType);
DWORD WINAPI NmeaReaderThread(LPVOID);
DWORD WINAPI RtsReaderThread(LPVOID);
DWORD WINAPI GpsMonitorReaderThread(LPVOID);
LRESULT CALLBACK MonitorGpsWndProc(HWND, UINT, WPARAM, LPARAM);
// Per-run GPS values cleared at launch (the second of step 12.2) and the
// three GPS time stamps set at the end of a launch.
void ResetGpsRunValues();
void StampGpsTimes(DWORD now);

// Logging-window handlers of the GPS messages: a sentence (0x411), an
// accepted position (0x40B), a GSA sentence (0x410) and a total-station
// position (0x40F).
LRESULT HandleGpsSentence(HWND, UINT, WPARAM, LPARAM);
LRESULT HandleGpsFix(HWND, UINT, WPARAM, LPARAM);
LRESULT HandleGpsGsa(HWND, UINT, WPARAM, LPARAM);
LRESULT HandleRtsPosition(HWND, UINT, WPARAM, LPARAM);
