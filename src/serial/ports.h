// Serial port handles and openers. Each opener reads the port settings,
// stores the handle in its global and returns 1 on success, 0 on failure.
#pragma once
#include <windows.h>

extern HANDLE hInstrumentPort;
extern HANDLE hGpsPort, hGps2Port, hGps3Port;
extern HANDLE hOutputPort;
extern HANDLE hInstrumentThread, hWheelReaderThread;

int OpenInstrumentPort();
int OpenGpsPort();
int OpenGps2Port();
int OpenGps3Port();
int OpenOutputPort();
int ProbeInstrument(char first, char second, int reopen);
DWORD DelayMs(int ms);
BOOL EventReset(HANDLE h);
BOOL EventSet(HANDLE h);
