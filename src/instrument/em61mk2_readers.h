// The three EM61-MK2 reader threads: each cuts 15-byte frames out of the
// instrument port's byte stream and hands them to the logging window.
#pragma once
#include <windows.h>

DWORD WINAPI Em61Mk2PolledReader(LPVOID);
DWORD WINAPI Em61Mk2StreamReader(LPVOID);
DWORD WINAPI Em61Mk2WheelReader(LPVOID);
