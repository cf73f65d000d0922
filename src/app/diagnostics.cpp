// The diagnostics switch: working set, GDI and user objects, handles, the
// time of the map's updates per fix and the fill of the stores that grow
// with the run by design, one CSV line a period.
#include "app/diagnostics.h"
#include "gps/gps_state.h"
#include "platform/ce_compat.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

struct DiagnosticsState {
    int Checked; // the environment has been read
    wchar_t Path[MAX_PATH];
    DWORD PeriodMs;
    DWORD LastTick;
    LONGLONG Frequency;
    // Map updates since the last line.
    long MapUpdates;
    double MapTotalUs, MapMaxUs;
    long TrackEntries;
};
DiagnosticsState Diag;

bool Enabled()
{
    if (!Diag.Checked) {
        Diag.Checked = 1;
        const wchar_t* path = _wgetenv(L"QOR_DIAG_FILE");
        if (path && *path) lstrcpynW(Diag.Path, path, MAX_PATH);
        const wchar_t* period = _wgetenv(L"QOR_DIAG_PERIOD_S");
        const long seconds = period ? std::wcstol(period, nullptr, 10) : 0;
        Diag.PeriodMs = (DWORD)(seconds > 0 ? seconds : 60) * 1000;
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        Diag.Frequency = f.QuadPart > 0 ? f.QuadPart : 1;
        Diag.LastTick = CeGetTickCount();
        if (Diag.Path[0]) {
            HANDLE file = CreateFileW(Diag.Path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            static const char Head[] = "tick_ms,working_set_kb,gdi_objects,user_objects,"
                                       "handles,map_updates,map_mean_us,map_max_us,"
                                       "stored_positions,track_entries\r\n";
            DWORD written = 0;
            if (file != INVALID_HANDLE_VALUE) {
                WriteFile(file, Head, sizeof Head - 1, &written, nullptr);
                CloseHandle(file);
            }
        }
    }
    return Diag.Path[0] != 0;
}

// Under Wine GetGuiResources and GetProcessHandleCount answer 0; the
// counts are then taken another way.

// GDI objects: the in-use entries of the process's GDI handle table, whose
// address the process environment block holds.
struct GdiHandleEntry {
    UINT64 Object;
    ULONG Owner;
    UCHAR ExtTypeAndStock, Generation, Type, Flags;
    UINT64 UserPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "layout of a GDI handle table entry");

unsigned long CountGdiObjects()
{
    enum { PEB_GDI_HANDLE_TABLE = 0xF8, GDI_MAX_HANDLES = 0x10000, STOCK_FLAG = 0x80 };
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds" // the TEB is read through the gs segment
    const char* peb = (const char*)NtCurrentTeb()->ProcessEnvironmentBlock;
#pragma GCC diagnostic pop
    const GdiHandleEntry* table = *(GdiHandleEntry* const*)(peb + PEB_GDI_HANDLE_TABLE);
    if (!table) return 0;
    unsigned long n = 0;
    for (int i = 0; i < GDI_MAX_HANDLES; ++i)
        if (table[i].Type != 0 && !(table[i].ExtTypeAndStock & STOCK_FLAG)) ++n;
    return n;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*(unsigned long*)count;
    EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

// User objects: the process's windows, the user objects that leak first.
unsigned long CountWindows()
{
    unsigned long n = 0;
    EnumWindows(CountWindow, (LPARAM)&n);
    return n;
}

// Kernel handles: every handle value that names an open object.
unsigned long CountHandles()
{
    unsigned long n = 0;
    DWORD flags;
    for (ULONG_PTR h = 4; h < 16384; h += 4)
        if (GetHandleInformation((HANDLE)h, &flags)) ++n;
    return n;
}

void AppendLine(const char* line)
{
    HANDLE file = CreateFileW(Diag.Path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)strlen(line), &written, nullptr);
    CloseHandle(file);
}

} // namespace

void DiagnosticsTick()
{
    if (!Enabled()) return;
    const DWORD now = CeGetTickCount();
    if (now - Diag.LastTick < Diag.PeriodMs) return;
    Diag.LastTick = now;
    HANDLE self = GetCurrentProcess();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(self, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof memory);
    DWORD handles = 0;
    if (!GetProcessHandleCount(self, &handles) || handles == 0) handles = CountHandles();
    unsigned long gdi = GetGuiResources(self, GR_GDIOBJECTS);
    if (gdi == 0) gdi = CountGdiObjects();
    unsigned long user = GetGuiResources(self, GR_USEROBJECTS);
    if (user == 0) user = CountWindows();
    // The position store and the map's track list are allocated whole at
    // the launch, but their pages join the working set only as they fill:
    // their counts tell that growth apart from a leak.
    char line[256];
    std::snprintf(line, sizeof line, "%lu,%lu,%lu,%lu,%lu,%ld,%.0f,%.0f,%ld,%ld\r\n",
                  (unsigned long)now, (unsigned long)(memory.WorkingSetSize / 1024), gdi, user,
                  (unsigned long)handles, Diag.MapUpdates,
                  Diag.MapUpdates ? Diag.MapTotalUs / Diag.MapUpdates : 0.0, Diag.MapMaxUs,
                  (long)GpsLog.StoreCount, Diag.TrackEntries);
    AppendLine(line);
    Diag.MapUpdates = 0;
    Diag.MapTotalUs = Diag.MapMaxUs = 0;
}

MapUpdateTiming::MapUpdateTiming(long trackEntries)
{
    Diag.TrackEntries = trackEntries;
    QueryPerformanceCounter(&Start);
}

MapUpdateTiming::~MapUpdateTiming()
{
    if (!Enabled()) return;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    const double us = (double)(end.QuadPart - Start.QuadPart) * 1e6 / (double)Diag.Frequency;
    ++Diag.MapUpdates;
    Diag.MapTotalUs += us;
    if (us > Diag.MapMaxUs) Diag.MapMaxUs = us;
}
