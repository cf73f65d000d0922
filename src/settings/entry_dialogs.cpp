// The entry dialogs of the logging window. Each fills its controls from
// the settings or the run state and writes back only on OK.
#include "settings/entry_dialogs.h"
#include "app/window_handles.h"
#include "settings/derived_values.h"
#include "settings/dialog_controls.h"
#include "settings/entry_rules.h"
#include "settings/config_file.h"
#include "settings/settings.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "app/app_state.h"
#include "display/display_state.h"
#include "map/map_view.h"
#include "resource_ids.h"
#include <cwchar>
#include <cstring>

// ---- New Line ----------------------------------------------------------

static void ShowNextLineProposal(HWND dialog, int sequence)
{
    NewLineValues next = ProposeNextLine(sequence, Settings.LineDirection, Settings.StartStation,
                                         Settings.StationIncrement, LogRun.Station);
    SendDlgItemMessageW(dialog, IDC_NEW_LINE_DIRECTION, CB_SETCURSEL, next.Direction, 0);
    SetNumber(dialog, IDC_NEW_LINE_START_STATION, L"%.3f", next.StartStation);
    SetNumber(dialog, IDC_NEW_LINE_STN_INCREMENT, L"%.3f", next.StationIncrement);
}

static void InitNewLine(HWND dialog)
{
    static const wchar_t* const sequences[] = {L"Alternate", L"One Way"};
    static const wchar_t* const directions[] = {L"West", L"South", L"North", L"East"};
    SetDlgItemTextW(dialog, IDC_NEW_LINE_CURRENT, Settings.SurveyLine);
    SendDlgItemMessageW(dialog, IDC_NEW_LINE_VALUE, EM_LIMITTEXT, 23, 0);
    LimitField(dialog, IDC_NEW_LINE_INCREMENT, VALUE_LINE_INCREMENT);
    LimitField(dialog, IDC_NEW_LINE_START_STATION, VALUE_STATION);
    LimitField(dialog, IDC_NEW_LINE_STN_INCREMENT, VALUE_STATION_INCREMENT);
    SetNumber(dialog, IDC_NEW_LINE_LAST_STATION, L"%.3f", LogRun.Station);
    SetNumber(dialog, IDC_NEW_LINE_VALUE, L"%.2f",
              ProposedLineNumber(Settings.SurveyLine, Settings.LineIncrement));
    SetNumber(dialog, IDC_NEW_LINE_INCREMENT, L"%.2f", Settings.LineIncrement);
    FillCombo(dialog, IDC_NEW_LINE_SEQUENCE, sequences, 2, Settings.LineSequence);
    FillCombo(dialog, IDC_NEW_LINE_DIRECTION, directions, 4, Settings.LineDirection);
    ShowNextLineProposal(dialog, Settings.LineSequence);
}

static int AcceptNewLine(HWND dialog)
{
    double lineIncrement, start, increment;
    if (!TakeValue(dialog, IDC_NEW_LINE_INCREMENT, VALUE_LINE_INCREMENT, L"Line Increment",
                   &lineIncrement) ||
        !TakeValue(dialog, IDC_NEW_LINE_START_STATION, VALUE_STATION, L"Start Station", &start) ||
        !TakeValue(dialog, IDC_NEW_LINE_STN_INCREMENT, VALUE_STATION_INCREMENT, L"Stn Increment",
                   &increment))
        return 0;
    wchar_t line[24] = L"";
    GetDlgItemTextW(dialog, IDC_NEW_LINE_VALUE, line, 24);
    wcscpy(Settings.SurveyLine, line);
    LogRun.LineValue = LineNumberOf(line);
    Settings.LineIncrement = lineIncrement;
    int sequence = ComboChoice(dialog, IDC_NEW_LINE_SEQUENCE);
    int direction = ComboChoice(dialog, IDC_NEW_LINE_DIRECTION);
    if (sequence >= 0) Settings.LineSequence = sequence;
    if (direction >= 0) Settings.LineDirection = direction;
    Settings.StartStation = LogRun.Station = start;
    Settings.StationIncrement = (float)increment;
    return 1;
}

INT_PTR CALLBACK NewLineDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: InitNewLine(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (AcceptNewLine(dialog)) EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDC_NEW_LINE_SEQUENCE:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                ShowNextLineProposal(dialog, ComboChoice(dialog, IDC_NEW_LINE_SEQUENCE));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- New Station -------------------------------------------------------

static void ShowStationNow()
{
    HDC hdc = GetDC(hLoggingWnd);
    HGDIOBJ old = SelectObject(hdc, Font.Bold);
    SetBkMode(hdc, TRANSPARENT);
    FillRect(hdc, &Layout.StationRect, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
    wchar_t text[40];
    swprintf(text, 40, L"%-11.2f", LogRun.Station);
    ExtTextOutW(hdc, Layout.StationRect.left, Layout.StationRect.top, ETO_CLIPPED,
                &Layout.StationRect, text, (UINT)wcslen(text), NULL);
    SelectObject(hdc, old);
    ReleaseDC(hLoggingWnd, hdc);
}

INT_PTR CALLBACK NewStationDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetNumber(dialog, IDC_NEW_STATION_START, L"%.3f", Settings.StartStation);
        SetNumber(dialog, IDC_NEW_STATION_LAST, L"%.3f", LogRun.Station);
        SetDlgItemTextW(dialog, IDC_NEW_STATION_VALUE, L"");
        LimitField(dialog, IDC_NEW_STATION_VALUE, VALUE_STATION);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            double station;
            if (!TakeValue(dialog, IDC_NEW_STATION_VALUE, VALUE_STATION, L"New Station", &station))
                return TRUE;
            LogRun.Station = station;
            std::memset(Profile.LastPoints, 0, sizeof Profile.LastPoints);
            ShowStationNow();
            LogRun.StationStarted = 0;
            WriteStationRecord();
            WriteTimeRecord();
            UpdateWindow(hLoggingWnd);
            EndDialog(dialog, 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Comment -----------------------------------------------------------

enum { COMMENT_CHARS = 11 }; // what the comment record holds

INT_PTR CALLBACK CommentDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_COMMENT_TEXT, L"");
        SendDlgItemMessageW(dialog, IDC_COMMENT_TEXT, EM_LIMITTEXT, COMMENT_CHARS, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            wchar_t text[42] = L"";
            GetDlgItemTextW(dialog, IDC_COMMENT_TEXT, text, 42);
            if (LOWORD(wParam) == IDOK) {
                WriteTextRecord(text, 'C');
                EndDialog(dialog, 1);
            } else {
                // The caller warns about a comment that was typed and dropped.
                EndDialog(dialog, text[0] != 0 ? 2 : 0);
            }
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Map Scale ---------------------------------------------------------

// Run when a field is left and on OK, never while typing: a scale typed
// as 25 must not pass through a corrected 2, nor a grid interval of 10
// through 1.
static void CorrectMapFields(HWND dialog)
{
    const double typed = GetNumber(dialog, IDC_MAP_SCALE);
    if (!(typed <= RangeOf(VALUE_MAP_SCALE).High)) return; // refused on OK
    int scale = typed < 1 ? 0 : (int)typed;
    float interval = (float)GetNumber(dialog, IDC_MAP_GRID_INTERVAL);
    int changed = CorrectMapScale(&scale, &interval);
    if (changed & 1) SetNumber(dialog, IDC_MAP_SCALE, L"%.0f", scale);
    if (changed & 2) SetNumber(dialog, IDC_MAP_GRID_INTERVAL, L"%.2f", interval);
}

INT_PTR CALLBACK MapScaleDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetNumber(dialog, IDC_MAP_SCALE, L"%.0f", Settings.MapScale);
        SetNumber(dialog, IDC_MAP_GRID_INTERVAL, L"%.2f", Settings.MapGridInterval);
        LimitField(dialog, IDC_MAP_SCALE, VALUE_MAP_SCALE);
        LimitField(dialog, IDC_MAP_GRID_INTERVAL, VALUE_GRID_INTERVAL);
        const wchar_t* unit = Settings.Units == 0 ? L"meters" : L"feet";
        SetDlgItemTextW(dialog, IDC_MAP_SCALE_UNIT, unit);
        SetDlgItemTextW(dialog, IDC_MAP_GRID_UNIT, unit);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MAP_SCALE:
        case IDC_MAP_GRID_INTERVAL:
            if (HIWORD(wParam) == EN_KILLFOCUS) CorrectMapFields(dialog);
            return TRUE;
        case IDOK: {
            CorrectMapFields(dialog);
            double scale, interval;
            if (!TakeValue(dialog, IDC_MAP_SCALE, VALUE_MAP_SCALE, L"Map Scale", &scale) ||
                !TakeValue(dialog, IDC_MAP_GRID_INTERVAL, VALUE_GRID_INTERVAL, L"Grid Interval",
                           &interval))
                return TRUE;
            Settings.MapScale = (int32_t)scale;
            ApplyMapScale();
            Settings.MapGridInterval = (float)interval;
            AccessConfigFile(CONFIG_SAVE);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Profile Scale -----------------------------------------------------

INT_PTR CALLBACK ProfileScaleDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetNumber(dialog, IDC_PROFILE_SCALE_MIN, L"%.0f", Settings.ProfileScaleMin);
        SetNumber(dialog, IDC_PROFILE_SCALE_MAX, L"%.0f", Settings.ProfileScaleMax);
        LimitField(dialog, IDC_PROFILE_SCALE_MIN, VALUE_PROFILE_LIMIT);
        LimitField(dialog, IDC_PROFILE_SCALE_MAX, VALUE_PROFILE_LIMIT);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            double low, high;
            if (!TakeValue(dialog, IDC_PROFILE_SCALE_MIN, VALUE_PROFILE_LIMIT, L"Minimum", &low) ||
                !TakeValue(dialog, IDC_PROFILE_SCALE_MAX, VALUE_PROFILE_LIMIT, L"Maximum", &high))
                return TRUE;
            float minimum = (float)low;
            float maximum = CorrectProfileMaximum(minimum, (float)high);
            if (!ProfileScaleStorable(minimum, maximum)) { // the corrected maximum is too high
                RefuseValue(dialog, IDC_PROFILE_SCALE_MIN, VALUE_PROFILE_LIMIT, L"Minimum");
                return TRUE;
            }
            Settings.ProfileScaleMin = minimum;
            Settings.ProfileScaleMax = maximum;
            ComputeProfileScaleValues();
            AccessConfigFile(CONFIG_SAVE);
            std::memset(Profile.LastPoints, 0, sizeof Profile.LastPoints);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Speed Bar Scale ---------------------------------------------------

INT_PTR CALLBACK SpeedScaleDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetNumber(dialog, IDC_SPEED_SCALE_MAX, L"%.2f", Settings.SpeedScaleMax);
        LimitField(dialog, IDC_SPEED_SCALE_MAX, VALUE_SPEED_SCALE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // The bar starts at 0; a maximum the file writes as 0.000000, or
            // cannot read back at all, would reset every setting next start.
            double maximum;
            if (!TakeValue(dialog, IDC_SPEED_SCALE_MAX, VALUE_SPEED_SCALE, L"Max Speed", &maximum))
                return TRUE;
            Settings.SpeedScaleMax = (float)maximum;
            ComputeSpeedScaleValues();
            AccessConfigFile(CONFIG_SAVE);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Display Coordinates -----------------------------------------------

// Receivers that report local coordinates list units only.
static int GivesLocalCoordinates()
{
    int t = Settings.GpsType;
    return t == 3 || t == 4 || t == 7 || t == 8;
}

INT_PTR CALLBACK CoordinatesDisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (GivesLocalCoordinates()) {
            static const wchar_t* const units[] = {L"meters", L"feet", L"US Survey Feet"};
            if (Settings.CoordinatesDisplay == 0) Settings.CoordinatesDisplay = 1;
            FillCombo(dialog, IDC_COORDINATES_DISPLAY, units, 3, Settings.CoordinatesDisplay - 1);
        } else {
            static const wchar_t* const kinds[] = {L"Geodetic", L"UTM meters", L"UTM feet",
                                                   L"UTM US S. Feet"};
            FillCombo(dialog, IDC_COORDINATES_DISPLAY, kinds, 4, Settings.CoordinatesDisplay);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            int choice = ComboChoice(dialog, IDC_COORDINATES_DISPLAY);
            if (choice >= 0)
                Settings.CoordinatesDisplay = GivesLocalCoordinates() ? choice + 1 : choice;
            AccessConfigFile(CONFIG_SAVE);
            EndDialog(dialog, 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- Select RTS to Monitor ---------------------------------------------

INT_PTR CALLBACK MonitorRtsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        // The inputs that exist; only the first one in this system.
        const wchar_t* inputs[3] = {L"RTS #1"};
        int count = 1;
        if (Settings.Gps2Enabled == 1) inputs[count++] = L"RTS #2";
        if (Settings.Gps3Enabled == 1) inputs[count++] = L"RTS #3";
        FillCombo(dialog, IDC_MONITOR_RTS, inputs, count, Settings.MonitorRts);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const int choice = ComboChoice(dialog, IDC_MONITOR_RTS);
            if (choice >= 0) Settings.MonitorRts = choice;
            AccessConfigFile(CONFIG_SAVE);
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- ASCII File Parameters ---------------------------------------------

static void ShowAsciiColumnLabels(HWND dialog)
{
    const int geographic = ComboChoice(dialog, IDC_ASCII_COORDINATES) == 0;
    SetDlgItemTextW(dialog, IDC_ASCII_LON_LABEL, geographic ? L"Longitude" : L"Easting");
    SetDlgItemTextW(dialog, IDC_ASCII_LAT_LABEL, geographic ? L"Latitude" : L"Northing");
}

// The choices of the four lists.
struct AsciiCombo {
    int Id;
    int32_t* Setting;
    const wchar_t* const* Items;
    int Count;
};

static const AsciiCombo* AsciiCombos()
{
    static const wchar_t* const kinds[] = {L"Lat/Lon degrees", L"UTM meters", L"UTM feet",
                                           L"UTM US feet"};
    static const wchar_t* const columns[] = {L"Column 1", L"Column 2", L"Column 3", L"Column 4",
                                             L"Column 5", L"Column 6", L"Column 7", L"Column 8",
                                             L"Column 9", L"Column 10"};
    static const wchar_t* const delimiters[] = {L"Space", L"Comma", L"Tab", L"Semicolon"};
    static const AsciiCombo combos[4] = {
        {IDC_ASCII_COORDINATES, &Settings.AsciiCoordinates, kinds, 4},
        {IDC_ASCII_LON_COLUMN, &Settings.AsciiLonColumn, columns, 10},
        {IDC_ASCII_LAT_COLUMN, &Settings.AsciiLatColumn, columns, 10},
        {IDC_ASCII_DELIMITER, &Settings.AsciiDelimiter, delimiters, 4},
    };
    return combos;
}

static INT_PTR AcceptAsciiFile(HWND dialog)
{
    for (int i = 0; i < 4; ++i)
        TakeComboChoice(dialog, AsciiCombos()[i].Id, AsciiCombos()[i].Setting);
    AccessConfigFile(CONFIG_SAVE);
    return 1;
}

INT_PTR CALLBACK AsciiFileDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        for (int i = 0; i < 4; ++i) {
            const AsciiCombo& c = AsciiCombos()[i];
            FillCombo(dialog, c.Id, c.Items, c.Count, *c.Setting);
        }
        ShowAsciiColumnLabels(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ASCII_COORDINATES && HIWORD(wParam) == CBN_SELCHANGE) {
            ShowAsciiColumnLabels(dialog);
            return TRUE;
        }
        return CloseOnOkOrCancel(dialog, wParam, AcceptAsciiFile);
    }
    return FALSE;
}
