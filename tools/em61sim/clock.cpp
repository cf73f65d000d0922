// Monotonic time and diagnostic notes.
#include "em61sim.h"

#include <cstdarg>
#include <ctime>

int64_t NowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * kNsPerSec + ts.tv_nsec;
}

// Notes go to stderr so that stdout stays machine-readable.
void Note(const char* fmt, ...)
{
    if (!Opt.verbose) return;
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "em61sim: ");
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
}
