// The run record, the view flags and the logging window's controls.
#include "logging/log_run.h"

LogRunRecord LogRun = {
    0,                    // FileState: no data file
    0,                    // Active
    0,                    // Launched
    1,                    // Stopped: no run yet
    0,                    // Mode
    INVALID_HANDLE_VALUE, // hDataFile
    {0},
    {0},
    0.0,
    0.0, // Station, LineValue
    0,
    0,
    0,
    0, // StartTick, StationStep, StationStarted, BeepCounter
};

LogViewRecord LogView = {0, 1};
LogWndRecord LogWnd = {};
const TimingRecord Timing = {70, 500};
