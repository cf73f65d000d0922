// The setup dialogs on their real templates: what follows a choice (the
// GPS labels and RTS units list, Survey Setup's fields of each logging
// mode, the total-station inputs), OK changes exactly the configuration
// lines the dialog owns, Cancel changes no byte.
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "settings/config_file.h"
#include "settings/derived_values.h"
#include "settings/entry_dialogs.h"
#include "settings/gps_setup_dialogs.h"
#include "settings/setup_dialogs.h"
#include "settings/settings.h"
#include "config_file_access.h"
#include "test_check.h"

namespace {

std::vector<std::string> ConfigLines()
{
    const std::string bytes = ReadBytes(ConfigPath());
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    return lines;
}

std::string Text(HWND dialog, int id)
{
    char text[64] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Choose(HWND dialog, int id, int index)
{
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, id));
}

std::string Labels(HWND dialog)
{
    return Text(dialog, IDC_GPS_WARNING_LABEL) + "," + Text(dialog, IDC_GPS_QUALITY_LABEL) + "," +
           Text(dialog, IDC_GPS_SATELLITES_LABEL) + "," + Text(dialog, IDC_GPS_DOP_LABEL);
}

// The dialog is never shown itself; its controls carry their own style.
bool Shown(HWND dialog, int id)
{
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

HWND Open(const wchar_t* name, DLGPROC proc)
{
    return CreateDialogParamW(GetModuleHandleW(nullptr), name, nullptr, proc, 0);
}

// Line numbers (1-based) whose text differs.
std::vector<int> Changed(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<int> out;
    for (size_t i = 0; i < a.size() || i < b.size(); ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i]) out.push_back((int)i + 1);
    return out;
}

void TestPortSetup(const wchar_t* name)
{
    const std::vector<std::string> before = ConfigLines();
    HWND d = Open(name, GpsPortSetupDlgProc);
    CHECK(d != nullptr);
    CHECK_STR(Labels(d), "Warning,Quality,Satellites,HDOP"); // the default type, GGA
    CHECK(!Shown(d, IDC_GPS_RTS_UNITS));
    CHECK_EQ(SendDlgItemMessageW(d, IDC_GPS_SATELLITES, CB_GETCURSEL, 0, 0), 2); // 5 satellites
    Choose(d, IDC_GPS_TYPE, 5);
    CHECK_STR(Labels(d), "N/A,N/A,N/A,N/A");
    Choose(d, IDC_GPS_TYPE, 8);
    CHECK(Shown(d, IDC_GPS_RTS_UNITS));
    CHECK_EQ(SendDlgItemMessageW(d, IDC_GPS_RTS_UNITS, CB_GETCOUNT, 0, 0), 3);
    Choose(d, IDC_GPS_TYPE, 1);
    CHECK(!Shown(d, IDC_GPS_RTS_UNITS));
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    CHECK(Changed(before, ConfigLines()).empty());

    d = Open(name, GpsPortSetupDlgProc);
    const struct {
        int Id, Index, Line;
        const char* Stored;
    } choices[] = {
        {IDC_GPS_INPUT, 0, 37, "0"},       {IDC_GPS_TYPE, 8, 38, "8"},
        {IDC_GPS_RTS_UNITS, 2, 79, "2"},   {IDC_GPS_PORT, 4, 39, "4"},
        {IDC_GPS_BAUD, 5, 40, "5"},        {IDC_GPS_DATA_BITS, 0, 41, "0"},
        {IDC_GPS_PARITY, 2, 42, "2"},      {IDC_GPS_STOP_BITS, 1, 43, "1"},
        {IDC_GPS_MAX_DISPLAY, 1, 44, "1"}, {IDC_GPS_WARNING, 0, 70, "0"},
        {IDC_GPS_QUALITY, 3, 71, "3"},     {IDC_GPS_SATELLITES, 5, 72, "8"},
    };
    for (const auto& c : choices) Choose(d, c.Id, c.Index);
    SetDlgItemTextW(d, IDC_GPS_DOP, L"2.5");
    SendMessageW(d, WM_COMMAND, IDOK, 0);
    const std::vector<std::string> after = ConfigLines();
    std::vector<int> expected = {37, 38, 39, 40, 41, 42, 43, 44, 70, 71, 72, 73, 79};
    CHECK(Changed(before, after) == expected);
    for (const auto& c : choices) CHECK_STR(after[c.Line - 1], c.Stored);
    CHECK_STR(after[72], "2.500000");
    CHECK_EQ(Settings.GpsDisplayIntervalMs, 410);
    CHECK_EQ(Settings.GpsWarnQualityMatch, 0);
}

void TestWarningMask()
{
    Settings.GpsType = 4;
    AccessConfigFile(CONFIG_SAVE);
    const std::vector<std::string> before = ConfigLines();
    HWND d = Open(L"GetGpsWarningMask", GpsWarningMaskDlgProc);
    CHECK_STR(Text(d, IDC_GPS_DOP_LABEL), "Quality in m");
    CHECK_STR(Text(d, IDC_GPS_MATCH), "Equal/Above");
    Choose(d, IDC_GPS_MATCH, 1);
    Choose(d, IDC_GPS_WARNING, 1);
    SetDlgItemTextW(d, IDC_GPS_DOP, L"junk");
    SendMessageW(d, WM_COMMAND, IDOK, 0);
    CHECK(Changed(before, ConfigLines()) == std::vector<int>({70, 73}));
    CHECK_EQ(Settings.GpsWarnQualityMatch, 1);
    CHECK_EQ(Settings.GpsWarnPdop, 0.0f); // not a number
}

void Type(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }

// Closes with OK and returns the lines that changed.
std::vector<int> Confirm(HWND dialog, const std::vector<std::string>& before)
{
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    return Changed(before, ConfigLines());
}

void TestSurveySetup(const wchar_t* name)
{
    std::vector<std::string> before = ConfigLines();
    HWND d = Open(name, SurveySetupDlgProc); // Auto, 5 readings/s, increments 1.0 / 0.2 / 2.0
    CHECK_STR(Text(d, IDC_SURVEY_MODE_LABEL), "EM61-MK2 Mode");
    CHECK_STR(Text(d, IDC_SURVEY_RATE), "5.00");
    Choose(d, IDC_SURVEY_MODE, 1);
    CHECK_STR(Text(d, IDC_SURVEY_RATE), "Not Available");
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "0.200");
    Type(d, IDC_SURVEY_INCREMENT, L"0.5");
    Choose(d, IDC_SURVEY_MODE, 0);
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "1.000"); // each mode its own
    Type(d, IDC_SURVEY_INCREMENT, L"0");
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "1.000"); // 0 is no increment
    Choose(d, IDC_SURVEY_MODE, 2);
    CHECK_STR(Text(d, IDC_SURVEY_RATE_LABEL), "Sample/Rdg");
    Choose(d, IDC_SURVEY_MODE, 1);
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "0.500");
    CHECK(Confirm(d, before) == std::vector<int>({47, 49})); // Wheel, its increment alone
    CHECK_EQ(Settings.StationIncrement, 0.5);

    before = ConfigLines();
    d = Open(name, SurveySetupDlgProc);
    Choose(d, IDC_SURVEY_MODE, 0);
    Type(d, IDC_SURVEY_RATE, L"-3");
    CHECK(Confirm(d, before) == std::vector<int>({47, 51})); // Auto, 1 reading/s
    CHECK_EQ(Settings.ReadingIntervalMs, 1000);
    before = ConfigLines();
    d = Open(name, SurveySetupDlgProc);
    Type(d, IDC_SURVEY_RATE, L"4");
    Type(d, IDC_SURVEY_LINE, L"L7");
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    CHECK(Changed(before, ConfigLines()).empty());
}

void TestSystemAndLoggerSetup()
{
    std::vector<std::string> before = ConfigLines();
    HWND d = Open(L"GetSystemSetup", SystemSetupDlgProc);
    Choose(d, IDC_SYSTEM_TYPE, 1); // High Power lasts until the program ends
    Type(d, IDC_SYSTEM_OFFSET_X, L"1.25");
    Type(d, IDC_SYSTEM_OFFSET_Y, L"-0.5");
    CHECK(Confirm(d, before) == std::vector<int>({74, 75}));
    CHECK(Settings.Em61Mk2Type == 1 && Settings.GpsOffsetX == 1.25f &&
          Settings.GpsOffsetY == -0.5f);

    before = ConfigLines();
    d = Open(Screen.Portrait ? L"GetLoggerSetupV" : L"GetLoggerSetup", LoggerSetupDlgProc);
    Choose(d, IDC_LOGGER_UNITS, 1);
    Choose(d, IDC_LOGGER_SOFT_MARKER, 2);
    CHECK(Confirm(d, before) == std::vector<int>({4, 76}));
}

// The total-station input: only those that exist are listed; the choice
// lasts until the program ends and is not a line of the file.
void TestMonitorRts()
{
    const std::vector<std::string> before = ConfigLines();
    HWND d = Open(L"GetMonitorRts", MonitorRtsDlgProc);
    char title[64] = "";
    GetWindowTextA(d, title, sizeof title);
    CHECK_STR(title, "Select RTS to Monitor");
    CHECK_EQ((int)SendDlgItemMessageW(d, IDC_MONITOR_RTS, CB_GETCOUNT, 0, 0), 1);
    CHECK_STR(Text(d, IDC_MONITOR_RTS), "RTS #1");
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    Settings.Gps3Enabled = 1;
    d = Open(L"GetMonitorRts", MonitorRtsDlgProc);
    Choose(d, IDC_MONITOR_RTS, 1);
    CHECK_STR(Text(d, IDC_MONITOR_RTS), "RTS #3");
    CHECK(Confirm(d, before).empty());
    CHECK_EQ(Settings.MonitorRts, 1);
    Settings.Gps3Enabled = 0;
}

} // namespace

int main()
{
    App.StorageMode = 2;
    Layout.ProfileHeight = 200;
    Layout.BarsHeight = 80;
    Layout.ProfileWidth = 215;
    const SettingsRecord defaults = Settings;
    for (const wchar_t* name : {L"GetGPSPortSetup", L"GetGPSPortSetupV"}) {
        Settings = defaults;
        AccessConfigFile(CONFIG_SAVE);
        TestPortSetup(name);
    }
    TestWarningMask();
    for (const wchar_t* name : {L"GetSurveySetup61H", L"GetSurveySetup61V"}) {
        Settings = defaults;
        ComputeStationValues(); // the increment in effect: the mode's own
        AccessConfigFile(CONFIG_SAVE);
        TestSurveySetup(name);
    }
    TestSystemAndLoggerSetup();
    TestMonitorRts();
    RemoveConfigFile();
    return TestSummary("test_setup_dialogs");
}
