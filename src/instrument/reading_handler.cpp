// The logging window's handler of an EM61-MK2 frame: progress of the
// normalisation and the nulling, and while measuring the recording of the
// reading, the station, the read-outs, the profile step and the bars.
#include "instrument/reading_handler.h"
#include "app/window_handles.h"
#include "instrument/reading_rules.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_decode.h"
#include "logging/log_run.h"
#include "logging/command_buttons.h"
#include "logging/record_writers.h"
#include "app/app_state.h"
#include "settings/settings.h"
#include "display/profile_pane.h"
#include "display/bars_pane.h"
#include "display/status_paint.h"
#include "platform/ce_compat.h"
#include <cwchar>

// Tick of the last device-battery read-out; starts far enough back that the
// first measured reading checks at once.
static DWORD LastPowerCheck = (DWORD)-190000;

enum { POWER_CHECK_MS = 180000, NULL_READINGS = 50 };

void ResetReadingHandlerRunFlags()
{
    LogRun.StationStep = 0;
    LogRun.StationStarted = 0;
    LogRun.BeepCounter = 0;
}

static void ClearGrey(HDC hdc, const RECT& rect)
{
    FillRect(hdc, &rect, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
}

static void DrawClipped(HDC hdc, const RECT& rect, const wchar_t* text)
{
    ExtTextOutW(hdc, rect.left, rect.top, ETO_CLIPPED, &rect, text, (UINT)wcslen(text), NULL);
}

static void ShowNullingProgress()
{
    float ch[4], reference;
    int32_t battery, type;
    int16_t range;
    DecodeEm61Mk2Frame(&ch[0], &ch[1], &ch[2], &ch[3], &reference, &battery, &range, &type);
    AccumulateNulling(ch[0], ch[1], ch[2], ch[3]);

    HDC hdc = GetDC(hLoggingWnd);
    SetBkMode(hdc, TRANSPARENT);
    SelectObject(hdc, Font.Bold);
    ClearGrey(hdc, Layout.Ch2Rect);
    ClearGrey(hdc, Layout.Ch4Rect);
    ClearGrey(hdc, Layout.Ch1Rect);
    const wchar_t* title = L"    Nulling";
    ExtTextOutW(hdc, Layout.Ch1Rect.left, Layout.Ch1Rect.top, 0, NULL, title, (UINT)wcslen(title),
                NULL);
    wchar_t text[40];
    swprintf(text, 40, L"    %2d of %2d", (int)Acq.NullCount, (int)NULL_READINGS);
    ClearGrey(hdc, Layout.Ch3Rect);
    DrawClipped(hdc, Layout.Ch3Rect, text);
    SelectObject(hdc, Font.Normal);
    ReleaseDC(hLoggingWnd, hdc);
    InstrumentFrame[0] = 0;
}

static void ShowNormalisationProgress()
{
    int percent = NormaliseStep();
    HDC hdc = GetDC(hLoggingWnd);
    SelectObject(hdc, Font.Bold);
    SetBkMode(hdc, TRANSPARENT);
    ClearGrey(hdc, Layout.Ch2Rect);
    DrawClipped(hdc, Layout.Ch2Rect, L" Normalization");
    wchar_t text[40];
    swprintf(text, 40, L"      %3d %c", percent, L'%');
    ClearGrey(hdc, Layout.Ch3Rect);
    DrawClipped(hdc, Layout.Ch3Rect, text);
    if (percent > 90) EnableFileCommands(TRUE, TRUE, TRUE);
    SelectObject(hdc, Font.Normal);
    ReleaseDC(hLoggingWnd, hdc);
}

// One recorded reading: data record, beep, station advance and read-out,
// profile step.
static void RecordReading(HDC hdc, const int profileY[4])
{
    WriteReadingRecord();
    if (Settings.Audio == 1 && CountReadingForBeep(&LogRun.BeepCounter, Settings.ReadingsPerSecond))
        MessageBeep(MB_ICONHAND);
    AdvanceStation(&LogRun.Station, &LogRun.StationStarted, Settings.StationIncrement);

    wchar_t text[40];
    swprintf(text, 40, L"%-11.2f", LogRun.Station);
    ClearGrey(hdc, Layout.StationRect);
    SelectObject(hdc, Font.Bold);
    DrawClipped(hdc, Layout.StationRect, text);

    if (LogView.ShowMap != 1) {
        HDC curve = GetDC(hCurveWnd);
        DrawProfileStep(curve, profileY);
        ReleaseDC(hCurveWnd, curve);
    }
    SelectObject(hdc, Font.Normal);
}

static void ShowPowerIfDue(HDC hdc)
{
    if (CeGetTickCount() - LastPowerCheck <= (DWORD)POWER_CHECK_MS) return;
    ClearGrey(hdc, Layout.PowerRect);
    CePowerStatus status = {};
    CeGetSystemPowerStatusEx2(&status, 56, TRUE);
    wchar_t text[16];
    swprintf(text, 16, L"%3d%c", (int)status.BatteryLifePercent, L'%');
    DrawClipped(hdc, Layout.PowerRect, text);
    LastPowerCheck = CeGetTickCount();
}

static void HandleMeasuredReading()
{
    HDC hdc = GetDC(hLoggingWnd);
    SetBkMode(hdc, TRANSPARENT);
    SelectObject(hdc, Font.Normal);

    float ch[4], reference;
    int32_t battery, type;
    int16_t range;
    DecodeEm61Mk2Frame(&ch[0], &ch[1], &ch[2], &ch[3], &reference, &battery, &range, &type);

    float c[4];
    CompressValues(ch[0], ch[1], ch[2], ch[3], &c[0], &c[1], &c[2], &c[3]);
    int profileY[4], barY[4];
    ChannelsToPixels(c[0], c[1], c[2], c[3], profileY, barY);

    wchar_t text[40];
    swprintf(text, 40, L"%c:", Channel4LabelChar(type));
    ClearGrey(hdc, Layout.Ch4LabelRect);
    DrawClipped(hdc, Layout.Ch4LabelRect, text);

    LogRun.StationStep = NextStationStep(type, Settings.LoggingMode, LogRun.StationStep);
    if (LogRun.FileState == FILE_RECORDING && LogRun.StationStep == 1) RecordReading(hdc, profileY);

    swprintf(text, 40, L"B:%5.2fV", battery / 6.66757);
    ClearGrey(hdc, Layout.BatteryRect);
    DrawClipped(hdc, Layout.BatteryRect, text);

    swprintf(text, 40, L"%c", MarkerChar(type, Settings.LoggingMode));
    SelectObject(hdc, Font.Bold);
    ClearGrey(hdc, Layout.MarkRect);
    DrawClipped(hdc, Layout.MarkRect, text);

    const RECT* valueRects[4] = {&Layout.Ch1Rect, &Layout.Ch2Rect, &Layout.Ch3Rect,
                                 &Layout.Ch4Rect};
    for (int i = 0; i < 4; ++i) {
        swprintf(text, 40, L"%8.1f", ch[i]);
        ClearValueBox(hdc, *valueRects[i]);
        DrawClipped(hdc, *valueRects[i], text);
    }

    HDC bars = GetDC(hBarsWnd);
    DrawBars(bars, barY);
    ReleaseDC(hBarsWnd, bars);

    ShowPowerIfDue(hdc);

    SelectObject(hdc, Font.Normal);
    ReleaseDC(hLoggingWnd, hdc);
    InstrumentFrame[0] = 0;
}

LRESULT HandleEm61Mk2Reading(HWND, UINT, WPARAM, LPARAM)
{
    switch (Acq.Phase) {
    case PHASE_NULLING: ShowNullingProgress(); break;
    case PHASE_NORMALISING: ShowNormalisationProgress(); break;
    case PHASE_MEASURING: HandleMeasuredReading(); break;
    default: break; // connection being re-established
    }
    return 0;
}
