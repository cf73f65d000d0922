// The Monitor GPS window and its reader.
#pragma once
#include <windows.h>

DWORD WINAPI GpsMonitorReaderThread(LPVOID);
LRESULT CALLBACK MonitorGpsWndProc(HWND, UINT, WPARAM, LPARAM);
