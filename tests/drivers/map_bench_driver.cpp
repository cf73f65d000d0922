// Times the map with the program's own drawing: one update per fix with a
// full position store (14,400 positions walked in lines), and whole redraws
// with the full store and with a 100,000-point external file. Runs in a
// pane-sized window of its own; writes "key=value" lines for tools/bench to
// the file named on its command line.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/app_state.h"
#include "bench_report.h"
#include "display/gdi_objects.h"
#include "gps/external_positions.h"
#include "gps/gps_state.h"
#include "gps/map_view.h"
#include "logging/log_run.h"
#include "settings/derived_values.h"
#include "settings/settings.h"

namespace {

FILE* Out = stdout;

// A lawnmower walk: lines of 60 m, 1 m apart, a position every 0.5 m.
void WalkedPosition(int i, double* n, double* e)
{
    const int perLine = 120, line = i / perLine, along = i % perLine;
    *e = (line % 2 ? perLine - along : along) * 0.5;
    *n = line * 1.0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (commandLine && *commandLine) Out = std::fopen(commandLine, "w");
    if (!Out) return 1;
    HWND pane = CreatePaneWindow(instance, DefWindowProcW, 215, 200);
    Screen.Class = 1;
    Screen.FontScale = Screen.ScaleX = Screen.ScaleY = 1.0;
    Layout.ProfileWidth = 215;
    Layout.ProfileHeight = 200;
    ComputeDerivedValues();
    CreateSharedPensAndBrushes(); // the grid pen among them
    Settings.MapScale = 100;
    enum { FULL = 14400 };
    GpsLog.MaxPositions = FULL;
    GpsLog.Capacity = FULL + 200;
    std::vector<double> north(GpsLog.Capacity), east(GpsLog.Capacity);
    std::vector<int32_t> px(GpsLog.Capacity), py(GpsLog.Capacity);
    GpsLog.StoreNorthing = north.data();
    GpsLog.StoreEasting = east.data();
    GpsLog.StoreAllocated = 1;
    Map.Track = {px.data(), py.data(), 0, GpsLog.Capacity};
    ResetMapForRun();
    Map.Track = {px.data(), py.data(), 0, GpsLog.Capacity};
    SetMapOrigin(0, 0);
    for (int i = 0; i < FULL - 1000; ++i) WalkedPosition(i, &north[i], &east[i]);
    GpsLog.StoreCount = FULL - 1000;
    RebuildTrackPixels(2);
    GpsLog.Offset.State = OFFSET_APPLIED;

    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    std::vector<double> update;
    for (int i = FULL - 1000; i < FULL; ++i) {
        WalkedPosition(i, &north[i], &east[i]);
        GpsLog.StoreCount = i + 1;
        QueryPerformanceCounter(&a);
        UpdateMap(pane, FILE_RECORDING, north[i], east[i], north[i], east[i]);
        QueryPerformanceCounter(&b);
        update.push_back(Ms(a, b, f));
    }
    Report(Out, "map_update_full_store", update);

    HDC hdc = GetDC(pane);
    auto redraws = [&](const char* name) {
        std::vector<double> whole;
        for (int i = 0; i < 20; ++i) {
            QueryPerformanceCounter(&a);
            PaintMap(hdc);
            GdiFlush();
            QueryPerformanceCounter(&b);
            whole.push_back(Ms(a, b, f));
        }
        Report(Out, name, whole);
    };
    redraws("map_redraw_full_store");

    // 100,000 external points over the same ground, 2 decimals of a metre.
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    lstrcatW(path, L"qor-map-bench.txt");
    FILE* file = _wfopen(path, L"wb");
    for (int i = 0; i < 100000; ++i)
        std::fprintf(file, "%.2f %.2f\r\n", (i % 300) * 0.2, (i / 300) * 0.3);
    std::fclose(file);
    Settings.AsciiCoordinates = 1; // UTM metres
    long count = 0, step = 0;
    const int loaded = LoadExternalPositions(EXTERNAL_ASCII_FILE, path, &count, &step);
    std::fprintf(Out, "external_points=%ld\nexternal_step=%ld\n", loaded ? count : 0L, step);
    redraws("map_redraw_full_store_and_100k_external");
    DeleteFileW(path);
    ReleaseDC(pane, hdc);
    std::fclose(Out);
    return 0;
}
