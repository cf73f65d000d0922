// Times the profile replay on a 640x480 screen's pane (333 sample
// columns) from data files of 100,000 records written by the program's own
// record writers: readings with a station, a comment and a null now and
// then; and the same with 600 GPS records after each reading, where the
// replay reaches the start of the line. The replay alone, and the pane's whole repaint (frame, grid
// and replay) through its own window procedure. Counts the readings drawn and checks that the file
// position is left where it was. Writes "key=value" lines for tools/bench to the file named on its
// command line.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench_report.h"
#include "display/gdi_objects.h"
#include "display/pane_windows.h"
#include "display/profile_replay.h"
#include "instrument/acq.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "settings/derived_values.h"
#include "settings/settings.h"

namespace {

enum { RECORDS = 100000, PANE = 429 };

// A soil-like reading: slow waves on the four channels, reference 3000.
void SetReading(int i)
{
    InstrumentFrame[0] = 'T';
    InstrumentFrame[1] = 0;
    for (int c = 0; c < 4; ++c) {
        const int raw = (int)(40 + 30 * std::sin(i * 0.05 + c)) * (4 - c);
        InstrumentFrame[2 + 2 * c] = (unsigned char)(raw >> 8);
        InstrumentFrame[3 + 2 * c] = (unsigned char)raw;
    }
    InstrumentFrame[10] = 3000 >> 8;
    InstrumentFrame[11] = 3000 & 0xFF;
    InstrumentFrame[12] = 0;
    InstrumentFrame[13] = InstrumentFrame[10];
    InstrumentFrame[14] = InstrumentFrame[11];
    InstrumentFrame[15] = 0x80;
    Acq.LastDataTick = 1000 + 100 * i;
}

// With gpsRecords, that many GPS records after each reading, as a slow
// survey (Manual mode) with a receiver at 20 Hz writes them.
long WriteSurvey(int gpsRecords)
{
    WriteHeader();
    WriteLineBlock();
    WriteTimeRecord();
    long records = 16;
    const float none[4] = {}, nulled[4] = {5, 5, 5, 5};
    for (int i = 0; records < RECORDS; ++i) {
        if (i % 997 == 500) {
            LogRun.Station += 10;
            WriteStationRecord();
            WriteTimeRecord();
            records += 2;
        } else if (i % 1499 == 700) {
            WriteTextRecord(L"PIPE", 'C');
            records += 1;
        } else if (i % 2003 == 1000) {
            WriteNullRecords(0, 1, nulled, none);
            records += 4;
        } else {
            SetReading(i);
            WriteReadingRecord();
            for (int g = 0; g < gpsRecords; ++g) WriteTextRecord(L"$GPGGA,1200", '@');
            records += 1 + gpsRecords;
        }
    }
    return records;
}

void CountPoints(void* context, const POINT* const[4], int count) { *(int*)context += count; }

// One file: the replay and the whole repaint timed 30 times each.
bool TimeReplay(FILE* out, HWND pane, const char* name, int gpsRecords)
{
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    lstrcatW(path, L"qor-replay-bench.P61");
    LogRun.hDataFile = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE) return false;
    const long records = WriteSurvey(gpsRecords);
    const DWORD end = SetFilePointer(LogRun.hDataFile, 0, nullptr, FILE_CURRENT);

    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    std::vector<double> replay, repaint;
    for (int i = 0; i < 30; ++i) {
        QueryPerformanceCounter(&a);
        ReplayProfiles(pane);
        GdiFlush();
        QueryPerformanceCounter(&b);
        replay.push_back(Ms(a, b, f));

        QueryPerformanceCounter(&a);
        RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        GdiFlush();
        QueryPerformanceCounter(&b);
        repaint.push_back(Ms(a, b, f));
    }
    int points = 0;
    WalkProfileRecords(LogRun.hDataFile, RecordLength, Layout.ProfilePoints, Acq.NullOffset,
                       CountPoints, &points);
    const DWORD after = SetFilePointer(LogRun.hDataFile, 0, nullptr, FILE_CURRENT);
    std::fprintf(out, "%s_records=%ld\n%s_replayed_readings=%d\n%s_file_position_kept=%d\n", name,
                 records, name, points, name, after == end ? 1 : 0);
    Report(out, (std::string(name) + "_replay").c_str(), replay);
    Report(out, (std::string(name) + "_pane_repaint").c_str(), repaint);
    CloseHandle(LogRun.hDataFile);
    DeleteFileW(path);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    FILE* out = stdout;
    if (commandLine && *commandLine) out = std::fopen(commandLine, "w");
    if (!out) return 1;

    Screen.Class = 2;
    Screen.FontScale = 2.0;
    Screen.ScaleX = Screen.ScaleY = 2.0;
    Layout.ProfileWidth = Layout.ProfileHeight = PANE;
    Layout.ProfilePoints = 333;
    Settings.ProfileScaleMax = 800;
    ComputeDerivedValues();
    CreateSharedPensAndBrushes();

    HWND pane = CreatePaneWindow(instance, CurveWndProc, PANE, PANE);
    const bool done = TimeReplay(out, pane, "readings", 0) && TimeReplay(out, pane, "sparse", 600);
    std::fclose(out);
    return done ? 0 : 1;
}
