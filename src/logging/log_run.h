// The run record of a logging session and the logging window's controls.
#pragma once
#include <windows.h>
#include <cstdint>

#include "resource_ids.h"

enum FileStateValue : int32_t {
    FILE_NONE = 0,      // no data file yet: File page
    FILE_STANDBY = -1,  // data file open, not recording: Run page
    FILE_RECORDING = 1, // Pause button
};

enum RunModeValue : int32_t {
    RUN_MODE_WATCHED = 0, // Auto, Manual and stand-by: the watchdog runs
    RUN_MODE_WHEEL = 1,   // recording in Wheel mode: no watchdog
    RUN_MODE_LOST = -2,   // a lost connection is being handled
};

struct LogRunRecord {
    volatile int32_t FileState; // FileStateValue
    volatile int32_t Active;
    int32_t Launched;
    int32_t Stopped;
    volatile int32_t Mode; // RunModeValue
    HANDLE hDataFile;
    wchar_t FilePath[260];
    char FileBaseName[261];
    double Station;
    double LineValue; // numeric value of the survey line
    uint32_t StartTick;
    int32_t StationStep;
    int32_t StationStarted;
    int32_t BeepCounter;
};

struct LogViewRecord {
    int32_t ShowMap;
    int32_t LiveDraw;
};

struct LogWndRecord {
    HWND FileButton[4];
    HWND RunButton[4];
    HWND PauseButton;
    int32_t ButtonFocus;
    int32_t ButtonCount;
    int32_t ButtonFirst;
};

struct TimingRecord {
    int32_t StandbyPollMs; // 70
    int32_t PollTimeoutMs; // 500
};

extern LogRunRecord LogRun;
extern LogViewRecord LogView;
extern LogWndRecord LogWnd;
extern const TimingRecord Timing;

