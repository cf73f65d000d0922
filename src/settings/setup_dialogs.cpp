// The setup dialogs. Survey Setup keeps each logging mode's station
// increment while it is open, so switching modes back and forth shows each
// mode's own value; only the chosen mode's is kept on OK.
#include "settings/setup_dialogs.h"

#include <cmath>
#include <cwchar>
#include <iterator>

#include "app/app_state.h"
#include "logging/log_run.h"
#include "resource_ids.h"
#include "settings/config_file.h"
#include "settings/derived_values.h"
#include "settings/dialog_controls.h"
#include "settings/settings.h"

namespace {

enum { MODE_AUTO = 0, MODE_WHEEL = 1, MODE_MANUAL = 2 };
enum { INSTRUMENT_PORT_CHOICES = 18 }; // "COM1:" .. "COM18:"

// ---- Survey Setup ----------------------------------------------------------

struct SurveyLocals {
    float Rate;            // readings per second shown in Auto mode
    double Increment[3];   // each mode's station increment
    double ShownIncrement; // the increment in the field
    int Mode;              // the mode whose values are shown
};
SurveyLocals Local;

double* ModeIncrement(int mode)
{
    double* increments[3] = {&Settings.AutoStationIncrement, &Settings.WheelIncrement,
                             &Settings.ManualStationIncrement};
    return increments[mode >= 0 && mode < 3 ? mode : 0];
}

// A slow rate keeps its digits: 0.004 would show as 0.00 and read back as 0.
void ShowRate(HWND dialog)
{
    SetNumber(dialog, IDC_SURVEY_RATE, Local.Rate < 0.1f ? L"%.4f" : L"%.2f", Local.Rate);
}

// The rate field and the labels that follow the mode.
void ShowModeFields(HWND dialog, int relabelIncrement)
{
    const int portrait = Screen.Portrait != 0;
    SetDlgItemTextW(dialog, IDC_SURVEY_RATE_LABEL,
                    Local.Mode == MODE_MANUAL ? L"Sample/Rdg" : L"Readings/s");
    if (Local.Mode == MODE_AUTO)
        ShowRate(dialog);
    else
        SetDlgItemTextW(dialog, IDC_SURVEY_RATE, L"Not Available");
    SendDlgItemMessageW(dialog, IDC_SURVEY_RATE, EM_SETREADONLY, Local.Mode != MODE_AUTO, 0);
    if (relabelIncrement)
        SetDlgItemTextW(dialog, IDC_SURVEY_INCREMENT_LABEL,
                        Local.Mode == MODE_WHEEL ? (portrait ? L"Wheel I." : L"Wheel Inc.")
                                                 : (portrait ? L"Stn Increment" : L"Stn Incr."));
    SetNumber(dialog, IDC_SURVEY_INCREMENT, L"%.3f", Local.ShownIncrement);
}

void InitSurveySetup(HWND dialog)
{
    static const wchar_t* const Modes[] = {L"Auto", L"Wheel", L"Manual"};
    static const wchar_t* const Sequences[] = {L"Alternate", L"One Way"};
    static const wchar_t* const Directions[] = {L"West", L"South", L"North", L"East"};
    Local = {};
    Local.Rate = Settings.ReadingInterval > 0 ? 1.0f / Settings.ReadingInterval : 1.0f;
    for (int m = 0; m < 3; ++m) Local.Increment[m] = *ModeIncrement(m);
    Local.ShownIncrement = Settings.StationIncrement;
    Local.Mode = Settings.LoggingMode;
    SetDlgItemTextW(dialog, IDC_SURVEY_MODE_LABEL, L"EM61-MK2 Mode");
    FillCombo(dialog, IDC_SURVEY_MODE, Modes, Settings.LoggingMode);
    SendDlgItemMessageW(dialog, IDC_SURVEY_LINE, EM_LIMITTEXT, 23, 0);
    SetDlgItemTextW(dialog, IDC_SURVEY_LINE, Settings.SurveyLine);
    LimitField(dialog, IDC_SURVEY_RATE, VALUE_READING_RATE);
    LimitField(dialog, IDC_SURVEY_LINE_INCREMENT, VALUE_LINE_INCREMENT);
    LimitField(dialog, IDC_SURVEY_START_STATION, VALUE_STATION);
    LimitField(dialog, IDC_SURVEY_INCREMENT, VALUE_STATION_INCREMENT);
    SetNumber(dialog, IDC_SURVEY_LINE_INCREMENT, L"%.2f", Settings.LineIncrement);
    SetNumber(dialog, IDC_SURVEY_START_STATION, L"%.3f", Settings.StartStation);
    FillCombo(dialog, IDC_SURVEY_SEQUENCE, Sequences, Settings.LineSequence);
    FillCombo(dialog, IDC_SURVEY_DIRECTION, Directions, Settings.LineDirection);
    ShowModeFields(dialog, 0);
}

// The corrections run when a field is left (and on OK and a mode change),
// never while it is typed: "-1" must not pass through a corrected "-".
void TakeRateField(HWND dialog)
{
    if (Local.Mode != MODE_AUTO) return;
    const float r = (float)GetNumber(dialog, IDC_SURVEY_RATE);
    Local.Rate = r > 0 ? r : 1.0f;
    if (!(r > 0)) ShowRate(dialog);
}

void TakeIncrementField(HWND dialog)
{
    double v = (double)(float)GetNumber(dialog, IDC_SURVEY_INCREMENT);
    if (v == 0) { // no increment: stations would never advance
        v = 1.0;
        SetNumber(dialog, IDC_SURVEY_INCREMENT, L"%.3f", v);
    }
    Local.ShownIncrement = Local.Increment[Local.Mode] = v;
}

void SurveyModeChanged(HWND dialog)
{
    const int m = ComboChoice(dialog, IDC_SURVEY_MODE);
    if (m < 0 || m > 2 || m == Local.Mode) return;
    TakeRateField(dialog);
    TakeIncrementField(dialog);
    Local.ShownIncrement = Local.Increment[m];
    Local.Mode = m;
    ShowModeFields(dialog, 1);
}

INT_PTR AcceptSurveySetup(HWND dialog)
{
    const int mode = ComboChoice(dialog, IDC_SURVEY_MODE);
    if (mode >= 0 && mode <= 2) Local.Mode = mode;
    TakeRateField(dialog);
    TakeIncrementField(dialog);
    double rate = Local.Rate, lineIncrement, start, increment;
    if ((Local.Mode == MODE_AUTO &&
         !TakeValue(dialog, IDC_SURVEY_RATE, VALUE_READING_RATE, L"Readings/s", &rate)) ||
        !TakeValue(dialog, IDC_SURVEY_LINE_INCREMENT, VALUE_LINE_INCREMENT, L"Line Increment",
                   &lineIncrement) ||
        !TakeValue(dialog, IDC_SURVEY_START_STATION, VALUE_STATION, L"Start Station", &start) ||
        !TakeValue(dialog, IDC_SURVEY_INCREMENT, VALUE_STATION_INCREMENT, L"Stn Increment",
                   &increment))
        return KEEP_DIALOG_OPEN;
    TakeComboChoice(dialog, IDC_SURVEY_MODE, &Settings.LoggingMode);
    LogRun.Mode = Settings.LoggingMode;
    if (Settings.LoggingMode == MODE_AUTO) {
        Settings.ReadingInterval = 1.0f / (float)rate;
        ComputeReadingInterval();
    }
    LogRun.StationStarted = 0;
    GetDlgItemTextW(dialog, IDC_SURVEY_LINE, Settings.SurveyLine, 24);
    LogRun.LineValue = LineNumberOf(Settings.SurveyLine);
    Settings.LineIncrement = lineIncrement;
    TakeComboChoice(dialog, IDC_SURVEY_SEQUENCE, &Settings.LineSequence);
    TakeComboChoice(dialog, IDC_SURVEY_DIRECTION, &Settings.LineDirection);
    Settings.StartStation = LogRun.Station = start;
    Settings.StationIncrement = (double)(float)increment;
    *ModeIncrement(Settings.LoggingMode) = Settings.StationIncrement;
    AccessConfigFile(CONFIG_SAVE);
    return 0;
}

// ---- System Setup ----------------------------------------------------------

const wchar_t* const SensorSizes[] = {L"1 x 0.5 m", L"1 x 1 m", L"0.5 x 0.5 m"};

void InitSystemSetup(HWND dialog)
{
    static const wchar_t* const OffOn[] = {L"Disabled", L"Enabled"};
    static const wchar_t* const Types[] = {L"Standard", L"High Power", L"Standard NCC",
                                           L"High Power NCC"};
    FillCombo(dialog, IDC_SYSTEM_INSTRUMENT, OffOn, Settings.InstrumentEnabled);
    FillCombo(dialog, IDC_SYSTEM_TYPE, Types, Settings.Em61Mk2Type);
    FillCombo(dialog, IDC_SYSTEM_SENSOR, SensorSizes, Settings.SensorSize);
    SetNumber(dialog, IDC_SYSTEM_OFFSET_X, L"%.2f", Settings.GpsOffsetX);
    SetNumber(dialog, IDC_SYSTEM_OFFSET_Y, L"%.2f", Settings.GpsOffsetY);
    LimitField(dialog, IDC_SYSTEM_OFFSET_X, VALUE_GPS_OFFSET);
    LimitField(dialog, IDC_SYSTEM_OFFSET_Y, VALUE_GPS_OFFSET);
}

INT_PTR AcceptSystemSetup(HWND dialog)
{
    double x, y;
    if (!TakeValue(dialog, IDC_SYSTEM_OFFSET_X, VALUE_GPS_OFFSET, L"GPS X Offset", &x) ||
        !TakeValue(dialog, IDC_SYSTEM_OFFSET_Y, VALUE_GPS_OFFSET, L"GPS Y Offset", &y))
        return KEEP_DIALOG_OPEN;
    TakeComboChoice(dialog, IDC_SYSTEM_INSTRUMENT, &Settings.InstrumentEnabled);
    TakeComboChoice(dialog, IDC_SYSTEM_TYPE, &Settings.Em61Mk2Type);
    TakeComboChoice(dialog, IDC_SYSTEM_SENSOR, &Settings.SensorSize);
    Settings.GpsOffsetX = (float)x;
    Settings.GpsOffsetY = (float)y;
    AccessConfigFile(CONFIG_SAVE);
    return 0;
}

// ---- Logger Setup ----------------------------------------------------------

struct LoggerCombo {
    int Id;
    int32_t* Setting;
    const wchar_t* const* Items;
    int Count;
};

const LoggerCombo* LoggerCombos(int* count)
{
    static const wchar_t* const Units[] = {L"meters", L"feet", L"US Survey Feet"};
    static const wchar_t* const Speeds[] = {L"meters/s", L"feet/s", L"km/h", L"mph"};
    static const wchar_t* const NoYes[] = {L"No", L"Yes"};
    static const wchar_t* const PauseKeys[] = {L"any non numeric key", L"<Space Bar>", L"<Enter>",
                                               L"<S>"};
    static const wchar_t* const OffOn[] = {L"Disabled", L"Enabled"};
    static const wchar_t* const Coordinates[] = {L"Geodetic", L"UTM meters", L"UTM feet",
                                                 L"UTM US S. Feet"};
    static const wchar_t* const Markers[] = {L"Disabled", L"any numeric key", L"any arrow key"};
    static const LoggerCombo combos[] = {
        {IDC_LOGGER_PORT, &Settings.InstrumentPort, ComPortNames(), INSTRUMENT_PORT_CHOICES},
        {IDC_LOGGER_SOFT_MARKER, &Settings.SoftMarker, Markers, (int)std::size(Markers)},
        {IDC_LOGGER_UNITS, &Settings.Units, Units, (int)std::size(Units)},
        {IDC_LOGGER_SPEED_UNITS, &Settings.SpeedUnits, Speeds, (int)std::size(Speeds)},
        {IDC_LOGGER_AUDIO, &Settings.Audio, NoYes, (int)std::size(NoYes)},
        {IDC_LOGGER_PAUSE_KEY, &Settings.PauseKey, PauseKeys, (int)std::size(PauseKeys)},
        {IDC_LOGGER_SOFT_KEYBOARD, &Settings.SoftKeyboard, OffOn, (int)std::size(OffOn)},
        {IDC_LOGGER_COORDINATES, &Settings.CoordinatesDisplay, Coordinates,
         (int)std::size(Coordinates)},
    };
    *count = (int)(sizeof combos / sizeof combos[0]);
    return combos;
}

void InitLoggerSetup(HWND dialog)
{
    int n;
    const LoggerCombo* combos = LoggerCombos(&n);
    for (int i = 0; i < n; ++i)
        FillCombo(dialog, combos[i].Id, combos[i].Items, combos[i].Count, *combos[i].Setting);
}

INT_PTR AcceptLoggerSetup(HWND dialog)
{
    int n;
    const LoggerCombo* combos = LoggerCombos(&n);
    for (int i = 0; i < n; ++i) TakeComboChoice(dialog, combos[i].Id, combos[i].Setting);
    AccessConfigFile(CONFIG_SAVE);
    return 0;
}

void OfferReset(HWND dialog)
{
    if (MessageBoxW(dialog,
                    L"Press YES to reset to program default settings, the program will close.",
                    L"Reset to Default Settings", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    AccessConfigFile(CONFIG_DELETE);
    EndDialog(dialog, 1);
}

} // namespace

INT_PTR CALLBACK SurveySetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        InitSurveySetup(dialog);
        return TRUE;
    }
    if (msg != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_SURVEY_MODE && code == CBN_SELCHANGE)
        SurveyModeChanged(dialog);
    else if (id == IDC_SURVEY_RATE && code == EN_KILLFOCUS)
        TakeRateField(dialog);
    else if (id == IDC_SURVEY_INCREMENT && code == EN_KILLFOCUS)
        TakeIncrementField(dialog);
    else
        return CloseOnOkOrCancel(dialog, wParam, AcceptSurveySetup);
    return TRUE;
}

INT_PTR CALLBACK SystemSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        InitSystemSetup(dialog);
        return TRUE;
    }
    if (msg != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDC_SYSTEM_TYPE && HIWORD(wParam) == CBN_SELCHANGE) {
        FillCombo(dialog, IDC_SYSTEM_SENSOR, SensorSizes, Settings.SensorSize);
        SetDlgItemTextW(dialog, IDC_SYSTEM_SENSOR_LABEL, L"Sensor Size");
        return TRUE;
    }
    return CloseOnOkOrCancel(dialog, wParam, AcceptSystemSetup);
}

INT_PTR CALLBACK LoggerSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        InitLoggerSetup(dialog);
        return TRUE;
    }
    if (msg != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDC_LOGGER_RESET) {
        OfferReset(dialog);
        return TRUE;
    }
    return CloseOnOkOrCancel(dialog, wParam, AcceptLoggerSetup);
}
