// The map's arithmetic.
#include "map/map_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void MapPixel(double northing, double easting, double refNorthing, double refEasting,
              double pixelsPerUnit, int centerX, int centerY, int32_t* x, int32_t* y)
{
    // Far jumps saturate rather than overflow the pixel type.
    const double fx = centerX + (easting - refEasting) * pixelsPerUnit;
    const double fy = centerY - (northing - refNorthing) * pixelsPerUnit;
    const double limit = 1e9;
    *x = (int32_t)std::max(-limit, std::min(limit, std::isfinite(fx) ? fx : 0.0));
    *y = (int32_t)std::max(-limit, std::min(limit, std::isfinite(fy) ? fy : 0.0));
}

int FollowShift(int p, int lo, int hi, int margin, int recenter)
{
    if (p < lo + margin) return p - recenter - lo;
    if (p > hi - margin) return p + recenter - hi;
    return 0;
}

int ForEachGridLine(double origin, double spacing, int lo, int hi, void (*draw)(int, void*),
                    void* context)
{
    if (!(spacing >= 2.0) || hi < lo) return 0;
    // Lines are chosen by the pixel they round to, so that a stripe and the
    // whole pane agree on a line at a stripe's edge.
    const double first = origin + std::ceil((lo - 0.5 - origin) / spacing) * spacing;
    int n = 0;
    for (double p = first; p < hi + 0.5; p = first + ++n * spacing)
        draw((int)std::floor(p + 0.5), context);
    return n;
}

int InsertPixel(PixelList* list, int32_t x, int32_t y)
{
    if (list->Count >= list->Capacity) return 0;
    const int at = (int)(std::upper_bound(list->Y, list->Y + list->Count, y) - list->Y);
    const size_t move = (size_t)(list->Count - at) * sizeof(int32_t);
    std::memmove(list->X + at + 1, list->X + at, move);
    std::memmove(list->Y + at + 1, list->Y + at, move);
    list->X[at] = x;
    list->Y[at] = y;
    list->Count += 1;
    return 1;
}

int FirstRowAtOrBelow(const PixelList& list, int32_t y0)
{
    return (int)(std::lower_bound(list.Y, list.Y + list.Count, y0) - list.Y);
}
