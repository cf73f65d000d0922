// Keeps the hand-held from suspending while the program runs.
#pragma once
#include <windows.h>

DWORD WINAPI KeepAliveThread(LPVOID);
