// Process-wide application, screen, font and logging-screen layout records.
#pragma once
#include <windows.h>
#include <cstdint>

// Where the configuration and the survey data live, chosen at start-up.
enum StorageModeValue : int32_t {
    STORAGE_C_DRIVE = 0, // "C_DRIVE\KVTINI" (a device without a root store)
    STORAGE_CARD = 1,    // "Storage\KVTINI": a storage card is present
    STORAGE_ROOT = 2,    // "\KVTINI"
};

struct AppRecord {
    HINSTANCE hInstance;
    HWND hMainWnd;
    int32_t StorageMode; // StorageModeValue
    volatile int32_t KeepAliveRunning;
    HANDLE hKeepAliveThread;
    int32_t UptimeWarning;
    HWND MenuButton[9];
    int32_t MenuSelection; // highlighted main-menu button, 0..8
    int32_t ConfigCorrupt; // set by the configuration reader
};

struct ScreenRecord {
    int32_t Class; // 1 small, 2 VGA, 3 larger
    int32_t Portrait;
    int32_t Width, Height;
    int32_t OriginX, OriginY;
    double ScaleX, ScaleY;
    double FontScale;
    int32_t TextHeight, TextAveWidth, TextLeading;
};

struct FontRecord {
    HFONT Normal;
    HFONT Bold;
    HFONT SmallBold;
};

// Pixel geometry of the logging screen.
struct LayoutRecord {
    int32_t ProfileLeft, ProfileTop, ProfileWidth, ProfileHeight;
    int32_t ProfilePoints; // x of the newest profile point
    int32_t SpeedbarTop, SpeedbarHeight;
    int32_t BarsLeft, BarsTop, BarsWidth, BarsHeight, BarHalfWidth;
    int32_t BarX[4], BarWidth;
    int32_t ButtonLeft, ButtonTop, ButtonWidth, ButtonHeight;
    int32_t PauseWidth, PauseHeight;
    int32_t StatusLineHeight, StatusX, StatusX2;
    int32_t StatusY[13]; // StatusY0 .. StatusY12
    RECT MapScaleRect, PowerRect, RunStateRect, BatteryRect, ModeRect, FileRect;
    RECT Ch1Rect, Ch2Rect, Ch3Rect, Ch4Rect, Ch4LabelRect;
    RECT LineRect, StationRect, MarkRect;
    RECT FixRect, GpsBox1Rect, GpsBox2Rect, FixCountRect, PdopRect, GpsInfoRect;
    RECT NorthLabelRect, NorthRect, EastLabelRect, EastRect, ZoneRect;
    RECT SpeedRect, SpeedMaxRect;
    RECT Conn1Rect, Conn2Rect; // "PLEASE" / "WAIT..." fields while reconnecting
};

extern AppRecord App;
extern ScreenRecord Screen;
extern FontRecord Font;
extern LayoutRecord Layout;

// Reference coordinates are scaled and truncated toward zero.
inline int32_t ScaleTrunc(double value, double scale) { return (int32_t)(value * scale); }
