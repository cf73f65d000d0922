// Grid drawing shared by the profile and bar panes.
#pragma once
#include <windows.h>
#include "settings/settings.h"

// Rows 1..Count of a grid table from x1 to x2; row 1 with the 2 px zero pen
// when zeroInside is non-zero, the rest with the 1 px grid pen.
void DrawGridRows(HDC hdc, const GridTable& grid, int x1, int x2, int zeroInside);
