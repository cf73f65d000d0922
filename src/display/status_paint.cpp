// Painting of the logging window's read-outs. Each read-out is cleared with
// light grey and its text drawn clipped to its rectangle; the handlers that
// own the values refresh them between paints.
#include "display/status_paint.h"
#include "display/display_state.h"
#include "app/app_state.h"
#include "gps/gps_state.h"
#include "logging/log_run.h"
#include "settings/settings.h"
#include <cstdio>
#include <cstdlib>
#include <cwchar>

static int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }

double FormatSpeedText(wchar_t* out, size_t outChars, float speed, int units, int speedUnits)
{
    struct SpeedUnit {
        const wchar_t* Format;
        double FromMetres;
        double FromFeet;
    };
    static const SpeedUnit table[4] = {
        {L"Speed:%5.2f m/s", 1.0, 0.3048},
        {L"Speed:%5.2f ft/s", 3.28084, 1.0},
        {L"Speed:%5.2f km/h", 3.6, 1.0973},
        {L"Speed:%5.2f mph", 2.2369, 0.6818},
    };
    if (speedUnits < 0 || speedUnits > 3) speedUnits = 0;
    const SpeedUnit& unit = table[speedUnits];
    double factor = units == 0 ? unit.FromMetres : unit.FromFeet; // US feet count as feet
    const double shown = speed * factor;
    swprintf(out, outChars, unit.Format, shown);
    return shown;
}

void DrawReadout(HDC hdc, const RECT& rect, const wchar_t* text)
{
    FillRect(hdc, &rect, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
    ExtTextOutW(hdc, rect.left, rect.top, ETO_CLIPPED, &rect, text, (UINT)wcslen(text), nullptr);
}

void ClearValueBox(HDC hdc, const RECT& rect)
{
    HBRUSH brush =
        LogRun.FileState == FILE_RECORDING ? Gdi.GreenBrush : (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    FillRect(hdc, &rect, brush);
}

void ClearReadout(HDC hdc, const RECT& rect)
{
    FillRect(hdc, &rect, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
}

static void DrawUnclipped(HDC hdc, int x, int y, const wchar_t* text)
{
    ExtTextOutW(hdc, x, y, 0, nullptr, text, (UINT)wcslen(text), nullptr);
}

static int DataFileOpen() { return LogRun.FileState != FILE_NONE; }

static void PaintMapScale(HDC hdc)
{
    wchar_t text[32];
    int feet = Settings.Units != 0;
    const wchar_t* format =
        Screen.Portrait ? (feet ? L"S:%5ldft" : L"S:%5ldm") : (feet ? L"Sc:%5ld ft" : L"Sc:%5ld m");
    swprintf(text, 32, format, (long)Settings.MapScale);
    DrawReadout(hdc, Layout.MapScaleRect, text);
}

static void PaintRunState(HDC hdc)
{
    const wchar_t* text;
    if (LogRun.FileState == FILE_STANDBY)
        text = Screen.Portrait ? L"StB" : L"Stand By";
    else if (LogRun.FileState == FILE_RECORDING)
        text = Screen.Portrait ? L"Log" : L"Logging";
    else
        text = Screen.Portrait ? L"Mon" : L"Monitor";
    DrawReadout(hdc, Layout.RunStateRect, text);
}

static void PaintFileName(HDC hdc)
{
    char shortName[9] = {};
    for (int i = 0; i < 8 && LogRun.FileBaseName[i]; ++i) shortName[i] = LogRun.FileBaseName[i];
    wchar_t name[9] = {};
    mbstowcs(name, shortName, 8);
    wchar_t text[16];
    swprintf(text, 16, L"F:%ls", name);
    DrawReadout(hdc, Layout.FileRect, text);
}

static void PaintInstrumentReadouts(HDC hdc)
{
    static const wchar_t modeLetters[3] = {L'A', L'W', L'M'};
    int mode = Settings.LoggingMode >= 0 && Settings.LoggingMode <= 2 ? Settings.LoggingMode : 0;
    wchar_t letter[2] = {modeLetters[mode], 0};
    SelectObject(hdc, Font.Bold);
    DrawReadout(hdc, Layout.ModeRect, letter);

    SelectObject(hdc, Font.Normal);
    const RECT* channels[4] = {&Layout.Ch1Rect, &Layout.Ch2Rect, &Layout.Ch3Rect, &Layout.Ch4Rect};
    static const wchar_t* const labels[4] = {L"1:", L"2:", L"3:", L"4:"};
    for (int i = 0; i < 4; ++i) {
        ClearValueBox(hdc, *channels[i]);
        DrawUnclipped(hdc, channels[i]->left - sx(12), channels[i]->top, labels[i]);
    }

    DrawUnclipped(hdc, Layout.LineRect.left - sx(20), Layout.LineRect.top, L"Ln :");
    if (DataFileOpen()) {
        SelectObject(hdc, Font.Bold);
        DrawReadout(hdc, Layout.LineRect, Settings.SurveyLine);
        SelectObject(hdc, Font.Normal);
    }

    DrawUnclipped(hdc, Layout.StationRect.left - sx(20), Layout.StationRect.top, L"St :");
    SelectObject(hdc, Font.Bold);
    if (DataFileOpen()) {
        wchar_t station[40];
        swprintf(station, 40, L"%-11.2f", LogRun.Station);
        DrawReadout(hdc, Layout.StationRect, station);
    }
    DrawReadout(hdc, Layout.MarkRect, L" ");
    SelectObject(hdc, Font.Normal);
}

static void PaintGpsReadouts(HDC hdc)
{
    if (Settings.GpsEnabled == 1) {
        ClearReadout(hdc, Layout.FixRect);
        ClearReadout(hdc, Layout.GpsBox1Rect);
        ClearReadout(hdc, Layout.GpsBox2Rect);
        wchar_t count[24];
        swprintf(count, 24, L"%6ld", (long)GpsLog.FixCount);
        DrawReadout(hdc, Layout.FixCountRect, count);
        ClearReadout(hdc, Layout.PdopRect);
        ClearReadout(hdc, Layout.GpsInfoRect);
        if (!Screen.Portrait || Screen.Class > 2) {
            ClearReadout(hdc, Layout.NorthLabelRect);
            ClearReadout(hdc, Layout.NorthRect);
            ClearReadout(hdc, Layout.EastLabelRect);
            ClearReadout(hdc, Layout.EastRect);
        }
    } else if (!Screen.Portrait) {
        DrawReadout(hdc, Layout.NorthRect, L"     GPS Input");
        DrawReadout(hdc, Layout.EastRect, L"      Disabled");
    } else {
        // Rows 12 and 13 of the portrait column lie under the command
        // buttons on the smaller screens; the GPS rows above them are empty
        // without GPS, so the notice takes the fix row instead.
        RECT notice = Layout.NorthRect;
        if (notice.bottom > Layout.ButtonTop) {
            notice = Layout.FixRect;
            notice.right = Layout.FixCountRect.right;
        }
        DrawReadout(hdc, notice, L"GPS Disabled");
    }
}

static void PaintSpeed(HDC hdc)
{
    if (Settings.ShowSpeedBar != 1) {
        ClearReadout(hdc, Layout.SpeedMaxRect);
        ClearReadout(hdc, Layout.SpeedRect);
        return;
    }
    DrawUnclipped(hdc, Layout.ProfileLeft, Layout.SpeedMaxRect.top, L"0");
    wchar_t text[40];
    swprintf(text, 40, L"%.2f", (double)Settings.SpeedScaleMax);
    DrawReadout(hdc, Layout.SpeedMaxRect, text);
    FormatSpeedText(text, 40, GpsFix.Speed, Settings.Units, Settings.SpeedUnits);
    DrawReadout(hdc, Layout.SpeedRect, text);
}

LRESULT PaintLoggingWindow(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(hdc, Font.Normal);

    if (LogView.ShowMap == 1) PaintMapScale(hdc);

    SelectObject(hdc, Font.Bold);
    wchar_t power[16];
    swprintf(power, 16, L"%3d%c", 100, L'%');
    DrawReadout(hdc, Layout.PowerRect, power);

    SelectObject(hdc, Font.Normal);
    PaintRunState(hdc);
    if (Settings.InstrumentEnabled == 1) DrawReadout(hdc, Layout.BatteryRect, L"B:        ");
    if (DataFileOpen()) PaintFileName(hdc);
    // A GPS-only survey has no channels, line or station read-outs.
    if (Settings.InstrumentEnabled == 1) PaintInstrumentReadouts(hdc);

    PaintGpsReadouts(hdc);
    PaintSpeed(hdc);

    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
    return 0;
}

void InitStatusArea(HWND hwnd)
{
    // Every read-out starts from the painted defaults of a new run.
    InvalidateRect(hwnd, nullptr, TRUE);
}
