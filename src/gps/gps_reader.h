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
