// The map's arithmetic, free of drawing: positions to map pixels, when the
// view follows the antenna, where grid lines fall, and the y-sorted list of
// the marks drawn. Pure, so that it is tested on the host.
#pragma once
#include <cstdint>

// A position (distance units) in map pixel space: the origin (the run's
// first position) at (centerX, centerY), north up.
void MapPixel(double northing, double easting, double refNorthing, double refEasting,
              double pixelsPerUnit, int centerX, int centerY, int32_t* x, int32_t* y);

// How far the view [lo, hi] moves along one axis for a cross at p: none
// while p is margin or more inside it, else so far that p ends up recenter
// inside the nearer edge.
int FollowShift(int p, int lo, int hi, int margin, int recenter);

// Grid lines along one axis: those at origin + i x spacing (any integer i)
// whose nearest pixel lies in [lo, hi], in pane pixels. Calls draw(position) for each;
// returns how many. A spacing below 2 pixels draws none.
int ForEachGridLine(double origin, double spacing, int lo, int hi, void (*draw)(int, void*),
                    void* context);

// Map pixels of the marks drawn, sorted by y so that a stripe of the view
// finds its marks without a scan of them all.
struct PixelList {
    int32_t* X;
    int32_t* Y;
    int32_t Count, Capacity;
};
// Inserts (x, y) after every entry of the same or smaller y; 0 when full.
int InsertPixel(PixelList* list, int32_t x, int32_t y);
// Index of the first entry with y >= y0.
int FirstRowAtOrBelow(const PixelList& list, int32_t y0);
