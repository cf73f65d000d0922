// Helpers of the bench drivers: a pane-sized window to draw in,
// milliseconds between two performance-counter readings, and a series
// reported as "key=value" lines (median and 99th percentile) for
// tools/bench.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

// A visible white window of w x h at the screen's corner, served by proc.
inline HWND CreatePaneWindow(HINSTANCE instance, WNDPROC proc, int w, int h)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BenchPane";
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    RegisterClassW(&wc);
    return CreateWindowW(L"BenchPane", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr,
                         nullptr, instance, nullptr);
}

inline double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f)
{
    return (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart;
}

inline void Report(FILE* out, const char* name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::fprintf(out, "%s_median_ms=%.3f\n%s_p99_ms=%.3f\n", name, ms[ms.size() / 2], name,
                 ms[ms.size() * 99 / 100]);
}
