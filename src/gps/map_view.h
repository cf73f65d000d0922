// The map view of the logging screen's profile pane.
#pragma once
#include <windows.h>
#include <cstdint>

struct MapRecord {
    RECT View, RefView; // current and reference viewport
    int32_t CenterX, CenterY;
    double PixelsPerUnit;
    float GridInterval; // working copy of Settings.MapGridInterval
    int32_t ExtLoaded;
};
extern MapRecord Map;

void PrepareMapGrid();
// One position on the map: the antenna's cross and the sensor's track mark.
void UpdateMap(HWND pane, int32_t fileState, double antennaNorthing, double antennaEasting,
               double sensorNorthing, double sensorEasting);
// Map display options window (marker sizes and colours).
LRESULT CALLBACK DisplayMapOptionsWndProc(HWND, UINT, WPARAM, LPARAM);
void CopyMapOptionsToWorking();
