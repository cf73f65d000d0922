// Timing helpers of the bench drivers: milliseconds between two
// performance-counter readings, and a series reported as "key=value" lines
// (median and 99th percentile) for tools/bench.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

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
