// The grid rows of the profile and bar panes for a value range.
#pragma once
#include <cstdint>
#include "settings/settings.h"

void BuildGridTable(GridTable* table, int heightPx, float scaleMin, float scaleMax,
                    float pixelsPerUnit, int32_t* zeroSide);
