// Positions from outside the run shown on the map: those recorded in an
// earlier data file of this program, or an ASCII coordinate file.
#pragma once
#include <windows.h>
#include <cstdint>

enum ExternalKind { EXTERNAL_NONE = 0, EXTERNAL_DATA_FILE = 1, EXTERNAL_ASCII_FILE = 2 };

// Action "External File" (a data file) or "ASCII File": loads one, or
// removes the one of that kind when it is shown.
void ExternalFileAction(HWND owner, int kind);
// Reads the positions of a file, every step-th of count when the memory
// asks for thinning; 0 (and nothing changed) when it holds none.
int LoadExternalPositions(int kind, const wchar_t* path, long* count, long* step);
// Frees the positions (the teardown); the map forgets them.
void RemoveExternalPositions();
// The map pixels of the positions to display, again (the map's scale or
// origin changed).
void RebuildExternalPixels();
