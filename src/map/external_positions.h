// Positions from outside the run shown on the map: those recorded in an
// earlier data file of this program (the survey being recorded too), or
// an ASCII coordinate file.
#pragma once
#include <windows.h>
#include <cstdint>

#include "map/position_file.h"

enum ExternalKind { EXTERNAL_NONE = 0, EXTERNAL_DATA_FILE = 1, EXTERNAL_ASCII_FILE = 2 };

// Action "External File" (a data file) or "ASCII File": loads one, or
// removes the one of that kind when it is shown.
void ExternalFileAction(HWND owner, int kind);

// What a load found: the rows judged, how many positions are shown and
// every how many-th, and what the file is as text.
struct ExternalLoad {
    LoadTally Tally;
    long Shown, Step;
    int TextKind;
    int Abandoned; // the run ended while it loaded: nothing to tell
};
// Reads the positions of a file, every Step-th when the memory asks for
// thinning, keeping the run's readings flowing meanwhile; 0 (and nothing
// changed) when it holds none.
int LoadExternalPositions(int kind, const wchar_t* path, ExternalLoad* load);
// Frees the positions (the teardown); the map forgets them.
void RemoveExternalPositions();
// The map pixels of the positions to display, again (the map's scale or
// origin changed).
void RebuildExternalPixels();
