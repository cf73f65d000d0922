// Profiles redrawn from the data file.
#pragma once
#include <windows.h>
#include "display/stored_records.h"

// Rebuilds the profiles of `window` (the profile pane) from the data file.
void ReplayProfiles(HWND window);
void DrawReplayedProfiles(HWND window, const POINT* list1, const POINT* list2, const POINT* list3,
                          const POINT* list4, int count);
// Walks the data file backwards from its current position as the replay
// does, handing each finished stretch of points to draw(context, lists,
// count); leaves the file position where it found it.
typedef void (*ReplayDrawFunction)(void* context, const POINT* const lists[4], int count);
void WalkProfileRecords(HANDLE file, int recordLength, int startX, const float offsets[4],
                        ReplayDrawFunction draw, void* context);
