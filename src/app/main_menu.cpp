// Main menu: the nine buttons, their keys and the highlight.
#include "app/main_menu.h"
#include "app/window_handles.h"
#include "app/app_state.h"
#include "app/dialog_template.h"
#include "app/logging_launch.h"
#include "app/shell.h"
#include "gps/gps_reader.h"
#include "settings/gps_setup_dialogs.h"
#include "settings/setup_dialogs.h"
#include "gps/monitor_gps.h"
#include "gps/nmea_sentence.h"
#include "gps/gps_state.h"
#include "map/map_options_window.h"
#include "map/map_view.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "serial/serial_ports.h"
#include "serial/delay_events.h"
#include "settings/config_file.h"
#include "settings/entry_dialogs.h"
#include "settings/settings.h"

namespace {

enum MenuAction {
    ACTION_LOGGING = 0,
    ACTION_SURVEY_SETUP,
    ACTION_SYSTEM_SETUP,
    ACTION_LOGGER_SETUP,
    ACTION_GPS_PORT_SETUP,
    ACTION_MONITOR_GPS,
    ACTION_MAP_OPTIONS,
    ACTION_PROFILE_OPTIONS,
    ACTION_EXIT,
    ACTION_NONE = -1,
};

struct MenuKey {
    WPARAM Key;
    int Action;
};

// Command letters, in either case. They are characters (WM_CHAR): as key
// codes (WM_KEYDOWN) 'e' and 'x' would be keypad 5 and F9.
const MenuKey CommandKeys[] = {
    {'L', ACTION_LOGGING},
    {'l', ACTION_LOGGING},
    {'S', ACTION_SURVEY_SETUP},
    {'s', ACTION_SURVEY_SETUP},
    {'Y', ACTION_SYSTEM_SETUP},
    {'y', ACTION_SYSTEM_SETUP},
    {'O', ACTION_LOGGER_SETUP},
    {'o', ACTION_LOGGER_SETUP},
    {'G', ACTION_GPS_PORT_SETUP},
    {'g', ACTION_GPS_PORT_SETUP},
    {'N', ACTION_MONITOR_GPS},
    {'n', ACTION_MONITOR_GPS},
    {'M', ACTION_MAP_OPTIONS},
    {'m', ACTION_MAP_OPTIONS},
    {'P', ACTION_PROFILE_OPTIONS},
    {'p', ACTION_PROFILE_OPTIONS},
    {'X', ACTION_EXIT},
    {'x', ACTION_EXIT},
    {'E', ACTION_EXIT},
    {'e', ACTION_EXIT},
};

// Highlight keys (key codes): +1 next button, -1 previous, 0 run the
// highlighted one.
const MenuKey HighlightKeys[] = {
    {VK_TAB, 1}, {VK_RIGHT, 1}, {VK_DOWN, 1}, {VK_LEFT, -1}, {VK_UP, -1}, {VK_RETURN, 0},
};

struct SetupDialogEntry {
    int Action;
    const wchar_t* Landscape;
    const wchar_t* Portrait;
    bool UsesKeyboard; // raises the soft-keyboard button around it
    DLGPROC Procedure;
};

const SetupDialogEntry SetupDialogs[] = {
    {ACTION_SURVEY_SETUP, L"GetSurveySetup61H", L"GetSurveySetup61V", true, SurveySetupDlgProc},
    {ACTION_SYSTEM_SETUP, L"GetSystemSetup", L"GetSystemSetup", true, SystemSetupDlgProc},
    {ACTION_LOGGER_SETUP, L"GetLoggerSetup", L"GetLoggerSetupV", false, LoggerSetupDlgProc},
    {ACTION_GPS_PORT_SETUP, L"GetGPSPortSetup", L"GetGPSPortSetupV", true, GpsPortSetupDlgProc},
};

void MoveHighlight(int step)
{
    SendMessageW(App.MenuButton[App.MenuSelection], BM_SETSTYLE, BS_PUSHBUTTON, 1);
    App.MenuSelection = (App.MenuSelection + step + 9) % 9;
    SendMessageW(App.MenuButton[App.MenuSelection], BM_SETSTYLE, BS_DEFPUSHBUTTON, 1);
}

void EndProgram(HWND hwnd)
{
    App.KeepAliveRunning = 0;
    DelayMs(100);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
}

void RunSetupDialog(HWND hwnd, const SetupDialogEntry& dialog)
{
    if (dialog.UsesKeyboard) ShowSipButton(1);
    INT_PTR result = RunDialogTemplate(hwnd, Screen.Portrait ? dialog.Portrait : dialog.Landscape,
                                       dialog.Procedure, 0);
    if (dialog.UsesKeyboard) {
        ShowSipButton(0);
        SetSipState(hwnd, 0);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    if (dialog.Action == ACTION_GPS_PORT_SETUP) AccessConfigFile(CONFIG_SAVE);
    // "Reset to Default Settings" deleted the file: start again from defaults.
    if (dialog.Action == ACTION_LOGGER_SETUP && result == 1) EndProgram(hwnd);
}

void OpenGpsMonitor(HWND hwnd)
{
    Settings.MonitorRts = 0;
    // A total station's input is picked before its records are shown.
    if (Settings.GpsEnabled == 1 && Settings.GpsType >= GPS_TYPE_TOTAL_STATION)
        RunDialogTemplate(hwnd, L"GetMonitorRts", MonitorRtsDlgProc, 0);
    if (Settings.GpsEnabled == 1 && OpenGpsPort())
        hGpsThread = CreateThread(nullptr, 0, GpsMonitorReaderThread, nullptr, 0, nullptr);
    ShowWindow(hMonitorGpsWnd, SW_SHOW);
    UpdateWindow(hMonitorGpsWnd);
    SetFocus(hMonitorGpsWnd);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void OpenMapOptions()
{
    CopyMapOptionsToWorking();
    ShowWindow(hDisplayMapOptionsWnd, SW_SHOW);
    SetFocus(hDisplayMapOptionsWnd);
}

void OpenProfileOptions(HWND hwnd)
{
    HWND options = CeCreateTopLevelWindow(0, L"DisplayOptionsWnd", L"Display Options", WS_VISIBLE,
                                          Screen.OriginX, Screen.OriginY, Screen.Width,
                                          Screen.Height, nullptr, nullptr, App.hInstance, nullptr);
    if (!options) {
        DestroyWindow(hwnd);
        return;
    }
    InvalidateRect(options, nullptr, TRUE);
    SetFocus(options);
}

void RunMenuAction(HWND hwnd, int action)
{
    for (const SetupDialogEntry& dialog : SetupDialogs) {
        if (dialog.Action == action) {
            RunSetupDialog(hwnd, dialog);
            return;
        }
    }
    switch (action) {
    case ACTION_LOGGING: LaunchLogging(hwnd); break;
    case ACTION_MONITOR_GPS: OpenGpsMonitor(hwnd); break;
    case ACTION_MAP_OPTIONS: OpenMapOptions(); break;
    case ACTION_PROFILE_OPTIONS: OpenProfileOptions(hwnd); break;
    case ACTION_EXIT: EndProgram(hwnd); break;
    }
}

} // namespace

LRESULT MainMenuCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A key that reaches the main window while the logging screen covers it
    // (the focus falls back here when a common dialog of the logging window
    // closes) was meant for the logging screen: hand it on instead of losing it.
    if (msg == WM_KEYDOWN && LogRun.Active == 1 && hLoggingWnd && IsWindowVisible(hLoggingWnd)) {
        SetFocus(hLoggingWnd);
        return SendMessageW(hLoggingWnd, WM_KEYDOWN, wParam, lParam);
    }
    int action = msg == WM_COMMAND ? (int)LOWORD(wParam) - IDC_MENU_FIRST : ACTION_NONE;
    // While a run is active the keys belong to the logging window.
    if (LogRun.Active == 0 && msg == WM_CHAR) {
        for (const MenuKey& key : CommandKeys) {
            if (key.Key == wParam) action = key.Action;
        }
    }
    if (LogRun.Active == 0 && msg == WM_KEYDOWN) {
        for (const MenuKey& key : HighlightKeys) {
            if (key.Key != wParam) continue;
            if (key.Action == 0) {
                action = App.MenuSelection;
            } else {
                MoveHighlight(key.Action);
                return 0;
            }
        }
    }
    if (action >= ACTION_LOGGING && action <= ACTION_EXIT) RunMenuAction(hwnd, action);
    return 0;
}
