// A diagnostics switch for long runs: when the environment names a file in
// QOR_DIAG_FILE, the program appends one line of its resource use to it
// every QOR_DIAG_PERIOD_S seconds (default 60), taken on the watchdog tick.
// Without the variable nothing is measured and nothing is written.
#pragma once
#include <windows.h>

// Called on every watchdog tick; writes a line when a period has passed.
void DiagnosticsTick();

// Times one map update (scope of the object) for the next line, which
// also gives the track's entries as the map last told them.
class MapUpdateTiming {
public:
    explicit MapUpdateTiming(long trackEntries);
    ~MapUpdateTiming();

private:
    LARGE_INTEGER Start;
};
