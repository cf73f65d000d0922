// Times the map with the program's own drawing: one update per fix with a
// full position store (14,400 positions walked in lines), whole redraws
// with it, and external files (1,000,000 ASCII rows, a four-hour data
// file) loaded and drawn, and drawn again at a new scale. Runs in a
// pane-sized window of its own; writes "key=value" lines for tools/bench to
// the file named on its command line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "bench_report.h"
#include "display/gdi_objects.h"
#include "map/external_positions.h"
#include "gps/fix_readouts.h"
#include "gps/gps_reader.h"
#include "gps/nmea_sentence.h"
#include "gps/utm.h"
#include "gps/gps_state.h"
#include "map/map_view.h"
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

    // External files on a device with 240 MB free: each loaded and drawn,
    // then a new map scale drawn with it.
    SetEnvironmentVariableA("QOR_AVAIL_PHYS", "240000000");
    InitUtmConstants();
    auto external = [&](const char* name, int kind, const wchar_t* path) {
        ExternalLoad load = {};
        QueryPerformanceCounter(&a);
        const int loaded = LoadExternalPositions(kind, path, &load);
        PaintMap(hdc);
        GdiFlush();
        QueryPerformanceCounter(&b);
        std::fprintf(Out, "%s_rows=%ld\n%s_skipped=%ld\n%s_step=%ld\n%s_load_and_draw_ms=%.1f\n",
                     name, loaded ? load.Tally.Used : 0L, name, load.Tally.Skipped, name, load.Step,
                     name, Ms(a, b, f));
        double most = 0, rebuild = 0;
        for (int i = 0; i < 6; ++i) {
            Settings.MapScale = i % 2 ? 100 : 50;
            LARGE_INTEGER c;
            QueryPerformanceCounter(&a);
            ApplyMapScale(); // as the Scale Map entry does, then the repaint
            SetupMapGrid();
            RebuildTrackPixels(1);
            RebuildExternalPixels();
            QueryPerformanceCounter(&c);
            PaintMap(hdc);
            GdiFlush();
            QueryPerformanceCounter(&b);
            if (Ms(a, b, f) > most) most = Ms(a, b, f), rebuild = Ms(a, c, f);
        }
        std::fprintf(Out, "%s_scale_change_max_ms=%.1f\n%s_of_it_pixel_lists_ms=%.1f\n", name, most,
                     name, rebuild);
        RemoveExternalPositions();
        DeleteFileW(path);
    };
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    lstrcatW(path, L"qor-map-bench.txt");
    // 1,000,000 rows of UTM metres over 500 x 400 m, millimetres written.
    FILE* file = _wfopen(path, L"wb");
    for (int i = 0; i < 1000000; ++i)
        std::fprintf(file, "%.3f %.3f\r\n", (i % 1000) * 0.5 + 0.001 * (i % 7),
                     (i / 1000) * 0.4 - 100);
    std::fclose(file);
    Settings.AsciiCoordinates = 1;
    external("external_ascii_1m", EXTERNAL_ASCII_FILE, path);

    // A four-hour survey: 10 readings/s, GGA at 5 Hz (432,000 records and
    // the header), walking lines 60 m long at 1 m/s.
    GetTempPathW(MAX_PATH, path);
    lstrcatW(path, L"qor-map-bench.P61");
    file = _wfopen(path, L"wb");
    std::fprintf(file, "%-26s\n", "G   0.00   0.000  01");
    const double metreLat = 1 / 111320.0, metreLon = 1 / (111320.0 * 0.6668);
    for (int fix = 0; fix < 4 * 3600 * 5; ++fix) {
        const int second = fix / 5, line = second / 60, along = second % 60;
        const double lat = 48.1173 + line * metreLat;
        const double lon =
            11.5167 + (line % 2 ? 60 - along : along) * metreLon + fix % 5 * 0.2 * metreLon;
        char body[128], sentence[160];
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.%d0,%02d%07.4f,N,%03d%07.4f,E,1,08,0.9,545.4,M,46.9,M,,",
                      second / 3600 % 24, second / 60 % 60, second % 60, fix % 5 * 2, (int)lat,
                      (lat - (int)lat) * 60, (int)lon, (lon - (int)lon) * 60);
        int sum = 0;
        for (const char* c = body; *c; ++c) sum ^= (unsigned char)*c;
        std::snprintf(sentence, sizeof sentence, "$%s*%02X", body, sum);
        const size_t length = std::strlen(sentence);
        for (size_t at = 0; at < length; at += 25)
            std::fprintf(file, "%c%-25.25s\n", at ? '#' : '@', sentence + at);
        std::fprintf(file, "!%06dp%-18s\n", fix, "");
        for (int r = 0; r < 2; ++r) std::fprintf(file, "T%-25s\n", "0123456789ABCDEF");
    }
    std::fclose(file);
    double n0, e0;
    GeographicToDistanceUnits(48.1173, 11.5167, Settings.Units, &n0, &e0);
    SetMapOrigin(n0, e0);
    Settings.GpsType = 1;
    LoadGpsFormat(1, &GpsFormat);
    external("external_data_4h", EXTERNAL_DATA_FILE, path);
    ReleaseDC(pane, hdc);
    std::fclose(Out);
    return 0;
}
