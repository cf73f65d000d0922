// The GPS setup dialogs. The warning mask column is the same in both; its
// labels follow the GPS type, since not every sentence carries a quality,
// satellites or the same kind of DOP.
#include "settings/gps_setup_dialogs.h"

#include <cwchar>

#include "gps/gps_reader.h"
#include "logging/log_run.h"
#include "resource_ids.h"
#include "settings/config_file.h"
#include "settings/derived_values.h"
#include "settings/dialog_controls.h"
#include "settings/settings.h"

namespace {

enum { GPS_TYPE_RTS_GGA = 7, GPS_TYPE_RTS_LABELS = 8, FEWEST_SATELLITES = 3 };

const wchar_t* const OffOn[] = {L"Disabled", L"Enabled"};
const wchar_t* const Qualities[] = {L"AGPS (Raw)", L"DGPS",  L"RTK 3", L"RTK 4", L"RTK 5",
                                    L"RTK 6",      L"RTK 7", L"RTK 8", L"RTK 9"};
const wchar_t* const Satellites[] = {L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12"};
const wchar_t* const GpsTypes[] = {L"GGA/GSA", L"GGA", L"POS",      L"LLK",        L"LLQ",
                                   L"GLL",     L"GGK", L"RTS pGGA", L"RTS Trimble"};
const wchar_t* const Bauds[] = {L"4800", L"9600", L"19200", L"38400", L"57600", L"115200"};
const wchar_t* const Parities[] = {L"No", L"Even", L"Odd"};
const wchar_t* const DataBits[] = {L"7", L"8"};
const wchar_t* const StopBits[] = {L"1", L"2"};
const wchar_t* const Rates[] = {L"1 Hz", L"2 Hz"};
const wchar_t* const RtsUnits7[] = {L"m or ft", L"US Feet"};
const wchar_t* const RtsUnits8[] = {L"meters", L"feet", L"US Feet"};

// GLL and the total stations give nothing the mask could test.
int MaskApplies(int type)
{
    return type != 5 && type != GPS_TYPE_RTS_GGA && type != GPS_TYPE_RTS_LABELS;
}

void ShowTypeLabels(HWND dialog, int type, int maskDialog)
{
    const int applies = MaskApplies(type);
    SetDlgItemTextW(dialog, IDC_GPS_WARNING_LABEL, applies ? L"Warning" : L"N/A");
    SetDlgItemTextW(dialog, IDC_GPS_QUALITY_LABEL, applies ? L"Quality" : L"N/A");
    SetDlgItemTextW(dialog, IDC_GPS_SATELLITES_LABEL, applies ? L"Satellites" : L"N/A");
    const wchar_t* dop = L"N/A";
    switch (type) {
    case 0:
    case 2: dop = L"PDOP"; break;
    case 1: dop = L"HDOP"; break;
    case 3: dop = L"GDOP"; break;
    case 4: dop = maskDialog ? L"Quality in m" : L"Quality m"; break;
    case 6: dop = L"DOP"; break;
    default: break;
    }
    SetDlgItemTextW(dialog, IDC_GPS_DOP_LABEL, dop);
}

void InitWarningMask(HWND dialog, int maskDialog)
{
    static const wchar_t* const MatchShort[] = {L"Eq./Above", L"Equal"};
    static const wchar_t* const MatchLong[] = {L"Equal/Above", L"Equal only"};
    FillCombo(dialog, IDC_GPS_WARNING, OffOn, Settings.GpsWarning);
    FillCombo(dialog, IDC_GPS_QUALITY, Qualities, Settings.GpsWarnQuality);
    FillCombo(dialog, IDC_GPS_MATCH, maskDialog ? MatchLong : MatchShort, 2,
              Settings.GpsWarnQualityMatch);
    SetNumber(dialog, IDC_GPS_DOP, L"%.1f", Settings.GpsWarnPdop);
    LimitField(dialog, IDC_GPS_DOP, VALUE_DOP);
    FillCombo(dialog, IDC_GPS_SATELLITES, Satellites,
              Settings.GpsWarnSatellites - FEWEST_SATELLITES);
    ShowTypeLabels(dialog, Settings.GpsType, maskDialog);
}

// The limit under the name its label gives it for the receiver's type.
int TakeDopLimit(HWND dialog, double* limit)
{
    wchar_t name[32] = L"";
    GetDlgItemTextW(dialog, IDC_GPS_DOP_LABEL, name, 32);
    return TakeValue(dialog, IDC_GPS_DOP, VALUE_DOP, name, limit);
}

void AcceptWarningMask(HWND dialog, double dopLimit)
{
    TakeComboChoice(dialog, IDC_GPS_WARNING, &Settings.GpsWarning);
    TakeComboChoice(dialog, IDC_GPS_QUALITY, &Settings.GpsWarnQuality);
    TakeComboChoice(dialog, IDC_GPS_MATCH, &Settings.GpsWarnQualityMatch);
    Settings.GpsWarnPdop = (float)dopLimit;
    TakeComboChoice(dialog, IDC_GPS_SATELLITES, &Settings.GpsWarnSatellites, FEWEST_SATELLITES);
}

// The RTS units list belongs to the two total-station types only.
void ShowRtsUnits(HWND dialog, int type)
{
    const int shown = type == GPS_TYPE_RTS_GGA || type == GPS_TYPE_RTS_LABELS;
    if (type == GPS_TYPE_RTS_GGA)
        FillCombo(dialog, IDC_GPS_RTS_UNITS, RtsUnits7, Settings.RtsUnits);
    if (type == GPS_TYPE_RTS_LABELS)
        FillCombo(dialog, IDC_GPS_RTS_UNITS, RtsUnits8, Settings.RtsUnits3);
    ShowControl(dialog, IDC_GPS_RTS_UNITS_LABEL, shown);
    ShowControl(dialog, IDC_GPS_RTS_UNITS, shown);
}

void InitPortSetup(HWND dialog)
{
    FillCombo(dialog, IDC_GPS_INPUT, OffOn, Settings.GpsEnabled);
    FillCombo(dialog, IDC_GPS_TYPE, GpsTypes, Settings.GpsType);
    FillCombo(dialog, IDC_GPS_PORT, ComPortNames(), COM_PORT_NAMES, Settings.GpsPort);
    FillCombo(dialog, IDC_GPS_BAUD, Bauds, Settings.GpsBaudRate);
    FillCombo(dialog, IDC_GPS_PARITY, Parities, Settings.GpsParity);
    FillCombo(dialog, IDC_GPS_DATA_BITS, DataBits, Settings.GpsDataBits);
    FillCombo(dialog, IDC_GPS_STOP_BITS, StopBits, Settings.GpsStopBits);
    FillCombo(dialog, IDC_GPS_MAX_DISPLAY, Rates, Settings.MaxGpsDisplay);
    ShowRtsUnits(dialog, Settings.GpsType);
    InitWarningMask(dialog, 0);
}

void AcceptPortSetup(HWND dialog, double dopLimit)
{
    TakeComboChoice(dialog, IDC_GPS_INPUT, &Settings.GpsEnabled);
    LogView.ShowMap = Settings.GpsEnabled == 1 ? 1 : 0;
    TakeComboChoice(dialog, IDC_GPS_TYPE, &Settings.GpsType);
    if (Settings.GpsType < GPS_TYPE_RTS_LABELS) InitGpsSentenceSet(Settings.GpsType);
    if (Settings.GpsType == GPS_TYPE_RTS_GGA)
        TakeComboChoice(dialog, IDC_GPS_RTS_UNITS, &Settings.RtsUnits);
    if (Settings.GpsType == GPS_TYPE_RTS_LABELS)
        TakeComboChoice(dialog, IDC_GPS_RTS_UNITS, &Settings.RtsUnits3);
    TakeComboChoice(dialog, IDC_GPS_PORT, &Settings.GpsPort);
    if (Settings.GpsType != GPS_TYPE_RTS_GGA) Settings.Gps2Enabled = Settings.Gps3Enabled = 0;
    TakeComboChoice(dialog, IDC_GPS_BAUD, &Settings.GpsBaudRate);
    TakeComboChoice(dialog, IDC_GPS_PARITY, &Settings.GpsParity);
    TakeComboChoice(dialog, IDC_GPS_DATA_BITS, &Settings.GpsDataBits);
    TakeComboChoice(dialog, IDC_GPS_STOP_BITS, &Settings.GpsStopBits);
    TakeComboChoice(dialog, IDC_GPS_MAX_DISPLAY, &Settings.MaxGpsDisplay);
    ComputeGpsDisplayInterval();
    AcceptWarningMask(dialog, dopLimit);
}

INT_PTR SavePortSetup(HWND dialog)
{
    double dopLimit;
    if (!TakeDopLimit(dialog, &dopLimit)) return KEEP_DIALOG_OPEN;
    AcceptPortSetup(dialog, dopLimit);
    AccessConfigFile(CONFIG_SAVE);
    return 0;
}

INT_PTR SaveWarningMask(HWND dialog)
{
    double dopLimit;
    if (!TakeDopLimit(dialog, &dopLimit)) return KEEP_DIALOG_OPEN;
    AcceptWarningMask(dialog, dopLimit);
    AccessConfigFile(CONFIG_SAVE);
    return 0;
}

} // namespace

INT_PTR CALLBACK GpsPortSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: InitPortSetup(dialog); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_GPS_TYPE && HIWORD(wParam) == CBN_SELCHANGE) {
            const int type = ComboChoice(dialog, IDC_GPS_TYPE);
            ShowRtsUnits(dialog, type);
            SetDlgItemTextW(dialog, IDC_GPS_PORT_LABEL, L"Port");
            ShowTypeLabels(dialog, type, 0);
            return TRUE;
        }
        return CloseOnOkOrCancel(dialog, wParam, SavePortSetup);
    }
    return FALSE;
}

INT_PTR CALLBACK GpsWarningMaskDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: InitWarningMask(dialog, 1); return TRUE;
    case WM_COMMAND: return CloseOnOkOrCancel(dialog, wParam, SaveWarningMask);
    }
    return FALSE;
}
