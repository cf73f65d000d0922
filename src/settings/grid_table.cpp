// Horizontal grid lines of the profile and bar panes. When the scale spans
// zero, the zero line comes first and the step is chosen from how the pane
// divides above and below it; otherwise four evenly spaced lines.
#include "settings/grid_table.h"
#include "settings/saturating_int.h"
#include <cmath>

enum { GRID_MAX_ROWS = 9 };

static void FillEvenRows(GridTable* table, int heightPx)
{
    table->Count = 4;
    for (int i = 1; i <= 4; ++i) table->Row[i] = TruncToInt(heightPx - 0.2 * i * (heightPx + 1));
}

static int32_t RoundHalfUp(float value) { return TruncToInt(value + 0.5f); }

void BuildGridTable(GridTable* table, int heightPx, float scaleMin, float scaleMax,
                    float pixelsPerUnit, int32_t* zeroSide)
{
    if (!(scaleMin < 0 && scaleMax > 0)) {
        *zeroSide = scaleMin >= 0 ? 1 : -1;
        FillEvenRows(table, heightPx);
        return;
    }

    *zeroSide = 0;
    float zero = scaleMax * pixelsPerUnit;
    table->Row[1] = TruncToInt(zero);

    // r: how many times the larger part of the pane holds the smaller one.
    int32_t ratio;
    float big, small;
    if (zero >= heightPx / 2) {
        ratio = RoundHalfUp(zero / (heightPx - zero));
        big = std::fabs(scaleMax);
        small = std::fabs(scaleMin);
    } else {
        ratio = RoundHalfUp((heightPx - zero) / zero);
        big = std::fabs(scaleMin);
        small = std::fabs(scaleMax);
    }
    if (ratio < 1) {
        FillEvenRows(table, heightPx);
        return;
    }
    float step = ratio > 4 ? big / 5 : ratio == 1 ? small / 4 : big / ratio;

    int k = 2;
    for (; k <= GRID_MAX_ROWS; ++k) { // above the zero line
        int32_t row = TruncToInt((scaleMax - step * (k - 1)) * pixelsPerUnit);
        if (row < 1) break;
        table->Row[k] = row;
    }
    for (int j = 1; k <= GRID_MAX_ROWS; ++k, ++j) { // below it
        int32_t row = TruncToInt((scaleMax + step * j) * pixelsPerUnit);
        if (row >= heightPx) break;
        table->Row[k] = row;
    }
    table->Count = k - 1;
}
