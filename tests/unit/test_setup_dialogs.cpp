// The setup dialogs on their real templates: what follows a choice (the
// GPS labels and RTS units list, Survey Setup's fields of each logging
// mode, the total-station inputs), OK changes exactly the configuration
// lines the dialog owns, Cancel changes no byte. Fields typed key by key:
// their length limits, corrections only once a field is left, values out
// of range refused with their range. The main menu's letters.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_menu.h"
#include "app/window_classes.h"
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
    char text[512] = "";
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

// Closes with OK (or the given button) and returns the lines that changed.
std::vector<int> Confirm(HWND dialog, const std::vector<std::string>& before, int button = IDOK)
{
    SendMessageW(dialog, WM_COMMAND, button, 0);
    return Changed(before, ConfigLines());
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
    CHECK(Confirm(d, before, IDCANCEL).empty());

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
    CHECK(Confirm(d, before) ==
          std::vector<int>({37, 38, 39, 40, 41, 42, 43, 44, 70, 71, 72, 73, 79}));
    const std::vector<std::string> after = ConfigLines();
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
    CHECK(Confirm(d, before) == std::vector<int>({70, 73}));
    CHECK_EQ(Settings.GpsWarnQualityMatch, 1);
    CHECK_EQ(Settings.GpsWarnPdop, 0.0f); // not a number
}

// As a person types: over the whole text, one character at a time, then
// on to the next field.
void TypeKeys(HWND dialog, int id, const wchar_t* keys)
{
    HWND edit = GetDlgItem(dialog, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t* k = keys; *k; ++k) SendMessageW(edit, WM_CHAR, *k, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), (LPARAM)edit);
}

// The "WARNING" boxes the dialogs show, their texts kept and each closed.
std::string Warnings;
HHOOK BoxHook;

LRESULT CALLBACK CloseWarnings(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lParam;
    char text[256] = "";
    if (code == HC_ACTION && call->message == WM_INITDIALOG &&
        GetWindowTextA(call->hwnd, text, sizeof text) && std::string(text) == "WARNING") {
        GetDlgItemTextA(call->hwnd, 0xFFFF, text, sizeof text);
        Warnings += std::string(text) + "|";
        EndDialog(call->hwnd, IDOK); // before it is ever shown
    }
    return CallNextHookEx(BoxHook, code, wParam, lParam);
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
    SetDlgItemTextW(d, IDC_SURVEY_INCREMENT, L"0.5");
    Choose(d, IDC_SURVEY_MODE, 0);
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "1.000"); // each mode its own
    Choose(d, IDC_SURVEY_MODE, 2);
    CHECK_STR(Text(d, IDC_SURVEY_RATE_LABEL), "Sample/Rdg");
    Choose(d, IDC_SURVEY_MODE, 1);
    CHECK_STR(Text(d, IDC_SURVEY_INCREMENT), "0.500");
    CHECK(Confirm(d, before) == std::vector<int>({47, 49})); // Wheel, its increment alone
    CHECK_EQ(Settings.StationIncrement, 0.5);

    before = ConfigLines();
    d = Open(name, SurveySetupDlgProc);
    Choose(d, IDC_SURVEY_MODE, 0);
    SetDlgItemTextW(d, IDC_SURVEY_RATE, L"-3");
    CHECK(Confirm(d, before) == std::vector<int>({47, 51})); // Auto, 1 reading/s
    CHECK_EQ(Settings.ReadingIntervalMs, 1000);
    before = ConfigLines();
    d = Open(name, SurveySetupDlgProc);
    SetDlgItemTextW(d, IDC_SURVEY_RATE, L"4");
    SetDlgItemTextW(d, IDC_SURVEY_LINE, L"L7");
    CHECK(Confirm(d, before, IDCANCEL).empty());
}

void TestSystemAndLoggerSetup()
{
    std::vector<std::string> before = ConfigLines();
    HWND d = Open(L"GetSystemSetup", SystemSetupDlgProc);
    Choose(d, IDC_SYSTEM_TYPE, 1); // High Power lasts until the program ends
    SetDlgItemTextW(d, IDC_SYSTEM_OFFSET_X, L"1.25");
    SetDlgItemTextW(d, IDC_SYSTEM_OFFSET_Y, L"-0.5");
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

// Every number field holds no more than its kind of value needs, the
// comment no more than its record field.
void TestFieldLimits()
{
    const struct {
        const wchar_t* Name;
        DLGPROC Proc;
        int Ids[4];
    } dialogs[] = {
        {L"GetSurveySetup61H", SurveySetupDlgProc,
         {IDC_SURVEY_RATE, IDC_SURVEY_LINE_INCREMENT, IDC_SURVEY_START_STATION, IDC_SURVEY_INCREMENT}},
        {L"GetSystemSetup", SystemSetupDlgProc, {IDC_SYSTEM_OFFSET_X, IDC_SYSTEM_OFFSET_Y}},
        {L"GetGpsWarningMask", GpsWarningMaskDlgProc, {IDC_GPS_DOP}},
        {L"GetNewLine", NewLineDlgProc,
         {IDC_NEW_LINE_INCREMENT, IDC_NEW_LINE_START_STATION, IDC_NEW_LINE_STN_INCREMENT}},
        {L"GetNewStation", NewStationDlgProc, {IDC_NEW_STATION_VALUE}},
        {L"GetNewMapScale", MapScaleDlgProc, {IDC_MAP_SCALE, IDC_MAP_GRID_INTERVAL}},
        {L"GetNewProfileScale", ProfileScaleDlgProc, {IDC_PROFILE_SCALE_MIN, IDC_PROFILE_SCALE_MAX}},
        {L"GetNewSpeedScale", SpeedScaleDlgProc, {IDC_SPEED_SCALE_MAX}},
        {L"GetComment", CommentDlgProc, {IDC_COMMENT_TEXT}},
    };
    const std::wstring keys(130, L'7');
    for (const auto& f : dialogs) {
        HWND d = Open(f.Name, f.Proc);
        for (int i = 0; i < 4 && f.Ids[i]; ++i) {
            TypeKeys(d, f.Ids[i], keys.c_str());
            const size_t n = Text(d, f.Ids[i]).size();
            if (!(n > 0 && n <= 11)) std::printf("  %ls: %u characters\n", f.Name, (unsigned)n);
            CHECK(n > 0 && n <= 11);
        }
        DestroyWindow(d);
    }
}

// Key by key, nothing is corrected before the field is left; values the
// data file's columns or the configuration file cannot hold are refused
// with their range and the dialog stays open.
void TestTypingAndRefusals()
{
    std::vector<std::string> before = ConfigLines();
    HWND d = Open(L"GetSurveySetup61V", SurveySetupDlgProc); // Auto
    std::string shown;
    for (const wchar_t* keys : {L"0.5", L".5", L"0", L"-1"}) { // 0 is no increment
        TypeKeys(d, IDC_SURVEY_INCREMENT, keys);
        shown += Text(d, IDC_SURVEY_INCREMENT) + " ";
    }
    CHECK_STR(shown, "0.5 .5 1.000 -1 ");
    TypeKeys(d, IDC_SURVEY_RATE, L"0.001"); // one reading in 17 minutes
    CHECK(Confirm(d, before).empty());
    TypeKeys(d, IDC_SURVEY_RATE, L"0.005");
    CHECK(Confirm(d, before) == std::vector<int>({48, 51}));
    CHECK_STR(ConfigLines()[47] + " " + ConfigLines()[50], "-1.000000 200.000000");

    before = ConfigLines();
    d = Open(L"GetSystemSetup", SystemSetupDlgProc);
    TypeKeys(d, IDC_SYSTEM_OFFSET_X, L"-1000");
    CHECK(Confirm(d, before).empty());
    TypeKeys(d, IDC_SYSTEM_OFFSET_X, L"-12.5");
    TypeKeys(d, IDC_SYSTEM_OFFSET_Y, L"12345");
    CHECK(Confirm(d, before).empty());
    TypeKeys(d, IDC_SYSTEM_OFFSET_Y, L"25");
    CHECK(Confirm(d, before) == std::vector<int>({74, 75}));

    // Map scale 100: a grid interval of 10 and 25 stay as typed, so does a
    // scale typed over an emptied field; 1 is corrected once it is left.
    before = ConfigLines();
    d = Open(L"GetNewMapScale", MapScaleDlgProc);
    TypeKeys(d, IDC_MAP_SCALE, L"100");
    for (const wchar_t* keys : {L"10", L"25"}) {
        TypeKeys(d, IDC_MAP_GRID_INTERVAL, keys);
        CHECK(Text(d, IDC_MAP_GRID_INTERVAL) == std::string(keys, keys + 2));
    }
    TypeKeys(d, IDC_MAP_SCALE, L"\b250");
    TypeKeys(d, IDC_MAP_GRID_INTERVAL, L"1");
    CHECK_STR(Text(d, IDC_MAP_GRID_INTERVAL), "12.50");
    TypeKeys(d, IDC_MAP_SCALE, L"1e12");
    CHECK(Confirm(d, before).empty());
    TypeKeys(d, IDC_MAP_SCALE, L"250");
    CHECK(Confirm(d, before) == std::vector<int>({67, 68}));
    CHECK_STR(ConfigLines()[66] + " " + ConfigLines()[67], "12.500000 250");

    before = ConfigLines();
    d = Open(L"GetNewSpeedScale", SpeedScaleDlgProc);
    for (const wchar_t* speed : {L"1e-7", L"nan", L"inf"}) {
        TypeKeys(d, IDC_SPEED_SCALE_MAX, speed);
        SendMessageW(d, WM_COMMAND, IDOK, 0);
    }
    DestroyWindow(d);
    d = Open(L"GetNewProfileScale", ProfileScaleDlgProc);
    TypeKeys(d, IDC_PROFILE_SCALE_MIN, L"-5e18");
    TypeKeys(d, IDC_PROFILE_SCALE_MAX, L"5e18");
    SendMessageW(d, WM_COMMAND, IDOK, 0);
    DestroyWindow(d);
    CHECK(Changed(before, ConfigLines()).empty());
    CHECK_STR(Warnings,
              "Readings/s\r\nAllowed: 0.004 to 18|GPS X Offset\r\nAllowed: -100 to 100|"
              "GPS Y Offset\r\nAllowed: -100 to 100|Map Scale\r\nAllowed: 1 to 99999|"
              "Max Speed\r\nAllowed: 0.1 to 100|Max Speed\r\nAllowed: 0.1 to 100|"
              "Max Speed\r\nAllowed: 0.1 to 100|Minimum\r\nAllowed: -100000 to 100000|");

    // Profile Options with a range from an older file: its grid lines text
    // shows each value whole (31 digits, as many as the field is read with).
    Settings.ProfileScaleMin = -3e38f;
    Settings.ProfileScaleMax = 3e38f;
    HWND options = CreateWindowExW(0, L"DisplayOptionsWnd", L"", 0, 0, 0, 240, 320, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    enum { GRID_LINES_LABEL = 617 };
    size_t digits = 0, run = 0;
    for (char c : Text(options, GRID_LINES_LABEL)) digits = std::max(digits, run = isdigit(c) ? run + 1 : 0);
    CHECK(digits >= 30);
    DestroyWindow(options);
}

// Letters are characters: keypad 5 and F9 share their key codes with 'e'
// and 'x' and must not end the program.
void TestMainMenuLetters()
{
    HWND menu = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    App.KeepAliveRunning = 1;
    MainMenuCommand(menu, WM_KEYDOWN, VK_NUMPAD5, 0);
    MainMenuCommand(menu, WM_KEYDOWN, VK_F9, 0);
    CHECK_EQ(App.KeepAliveRunning, 1);
    MainMenuCommand(menu, WM_CHAR, 'x', 0);
    CHECK_EQ(App.KeepAliveRunning, 0);
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
    RegisterWindowClasses(GetModuleHandleW(nullptr));
    BoxHook = SetWindowsHookExW(WH_CALLWNDPROCRET, CloseWarnings, nullptr, GetCurrentThreadId());
    Settings = defaults;
    AccessConfigFile(CONFIG_SAVE);
    TestFieldLimits();
    TestTypingAndRefusals();
    TestMainMenuLetters();
    RemoveConfigFile();
    return TestSummary("test_setup_dialogs");
}
