// The run record of a logging session and the logging window's controls.
#pragma once
#include <windows.h>
#include <cstdint>

struct LogRunRecord {
    volatile int32_t FileState;   // 0 no data file, -1 stand-by, 1 recording
    volatile int32_t Active;
    int32_t Launched;
    int32_t Stopped;
    volatile int32_t Mode;        // 0 Auto/Manual/stand-by, 1 Wheel recording, -2 lost
    HANDLE hDataFile;
    wchar_t FilePath[260];
    char FileBaseName[261];
    double Station;
    double LineValue;             // numeric value of the survey line
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
    int32_t StandbyPollMs;        // 70
    int32_t PollTimeoutMs;        // 500
};

extern LogRunRecord LogRun;
extern LogViewRecord LogView;
extern LogWndRecord LogWnd;
extern const TimingRecord Timing;

extern HWND hLoggingWnd;
extern HWND hCurveWnd, hSpeedbarWnd, hBarsWnd, hBarQWnd, hBarIWnd;
extern HWND hMonitorGpsWnd, hDisplayMapOptionsWnd;

// Private messages of the logging window.
enum : UINT {
    WM_QOR_EM61MK2_READING = 0x40A,
    WM_QOR_GPS_FIX = 0x40B,
    WM_QOR_RTS_POSITION = 0x40F,
    WM_QOR_GPS_GSA = 0x410,
    WM_QOR_NMEA_SENTENCE = 0x411,
};
