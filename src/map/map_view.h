// The map view of the logging screen's profile pane: a grid through the
// run's first position, a mark for every stored sensor position and a cross
// at the antenna, drawn incrementally as positions come and scrolled to
// follow the antenna.
#pragma once
#include <windows.h>
#include <cstdint>

#include "map/map_geometry.h"

struct MapRecord {
    int32_t SizePx, SizePy;   // pane extent in pixels (right and bottom)
    int32_t CenterX, CenterY; // the origin's map pixel
    double PixelsPerUnit;
    double PreviousPixelsPerUnit;                     // before the last scale change
    double RefNorthing, RefEasting;                   // the run's first position
    int32_t ViewLeft, ViewRight, ViewTop, ViewBottom; // map pixels shown
    double AntennaNorthing, AntennaEasting;           // where the cross stands
    int32_t PrevX, PrevY;                             // pane pixel of the cross
    int32_t MarkerSaved;                              // the pixels under the cross are saved
    int32_t Started;    // the cross has a place (a position came this run)
    PixelList Track;    // sensor marks drawn, sorted by y
    PixelList Ext;      // an external file's positions to display, sorted by y
    float GridInterval; // working copy of Settings.MapGridInterval
    int32_t ExtLoaded;  // an external position file is shown (1) or an ASCII one (2)
};
extern MapRecord Map;

// Pane extent, scale and view for a new run (the launch).
void ResetMapForRun();
// Pixels per distance unit from Settings.MapScale; the value before is
// kept for RebuildTrackPixels(1).
void ApplyMapScale();
// The run's first usable position becomes the map's origin.
void SetMapOrigin(double northing, double easting);
// Grid settings changed (start-up, map scale): nothing to keep, the grid
// is drawn from the interval and the view.
void SetupMapGrid();
// One position: the cross to the antenna, the view following it, and
// for a stored position (fileState recording) the sensor's mark.
void UpdateMap(HWND pane, int32_t fileState, double antennaNorthing, double antennaEasting,
               double sensorNorthing, double sensorEasting);
// A stored sensor position into the track list (every one, drawn or not).
void AddTrackPosition(double northing, double easting);
// The track list again from the position store after the scale changed
// (mode 1: the last position keeps its place on the pane) or while the
// profiles were shown (mode 2: re-centred on it when outside the view).
void RebuildTrackPixels(int mode);
// The whole map: grid, marks and cross (the pane's WM_PAINT).
void PaintMap(HDC hdc);
// One position mark of size code 0..5 (one larger on the bigger screens).
void DrawMapMark(HDC hdc, int x, int y, int size, COLORREF colour);
// The current-position cross with arm r.
void DrawMapCross(HDC hdc, int x, int y, int r, COLORREF colour);
