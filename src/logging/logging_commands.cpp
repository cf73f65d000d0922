// Commands of the logging window: buttons, keys and popup-menu entries,
// the run state changes File, Go and Pause, Quick Line, Null and the entry
// dialogs.
#include "logging/logging_commands.h"
#include "settings/gps_setup_dialogs.h"
#include "app/window_handles.h"
#include "logging/command_buttons.h"
#include "logging/watchdog_timer.h"
#include "logging/stop_logging.h"
#include "logging/log_run.h"
#include "logging/command_keys.h"
#include "logging/data_file_create.h"
#include "logging/record_writers.h"
#include "app/app_state.h"
#include "app/file_error.h"
#include "app/shell.h"
#include "app/dialog_template.h"
#include "display/profile_pane.h"
#include "display/display_state.h"
#include "display/status_paint.h"
#include "gps/gps_state.h"
#include "map/external_positions.h"
#include "map/map_options_window.h"
#include "map/map_view.h"
#include "instrument/acq.h"
#include "instrument/reading_rules.h"
#include "instrument/em61mk2_decode.h"
#include "serial/serial_ports.h"
#include "serial/probe.h"
#include "serial/delay_events.h"
#include "settings/config_file.h"
#include "settings/entry_dialogs.h"
#include "settings/entry_rules.h"
#include "platform/ce_compat.h"
#include <cwchar>
#include <cstdio>

static void DrawStatus(const RECT& rect, const wchar_t* text, HFONT font)
{
    HDC hdc = GetDC(hLoggingWnd);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ old = SelectObject(hdc, font);
    DrawReadout(hdc, rect, text);
    SelectObject(hdc, old);
    ReleaseDC(hLoggingWnd, hdc);
}

static void DrawRunState(const wchar_t* landscape, const wchar_t* portrait)
{
    DrawStatus(Layout.RunStateRect, Screen.Portrait ? portrait : landscape, Font.Normal);
}

static void DrawStationReadout()
{
    wchar_t text[40];
    swprintf(text, 40, L"%-11.2f", LogRun.Station);
    DrawStatus(Layout.StationRect, text, Font.Bold);
}

static void RepaintPanes()
{
    InvalidateRect(hLoggingWnd, NULL, TRUE);
    InvalidateRect(hCurveWnd, NULL, TRUE);
    InvalidateRect(hBarsWnd, NULL, TRUE);
    InvalidateRect(hSpeedbarWnd, NULL, TRUE);
}

static void SetButtonStyle(HWND button, int style)
{
    SendMessageW(button, BM_SETSTYLE, style, TRUE);
}

static HWND* VisibleButtons()
{
    return LogRun.FileState == FILE_NONE ? LogWnd.FileButton : LogWnd.RunButton;
}

static void MoveHighlight(int step)
{
    HWND* buttons = VisibleButtons();
    SetButtonStyle(buttons[LogWnd.ButtonFocus], BS_PUSHBUTTON);
    LogWnd.ButtonFocus =
        NextButtonFocus(LogWnd.ButtonFocus, step, LogWnd.ButtonFirst, LogWnd.ButtonCount);
    SetButtonStyle(buttons[LogWnd.ButtonFocus], BS_DEFPUSHBUTTON);
}

static void PurgeInstrumentPort()
{
    PurgeComm(hInstrumentPort, PURGE_TXCLEAR);
    PurgeComm(hInstrumentPort, PURGE_RXCLEAR);
}

static void OpenFile()
{
    CreateDataFile(hLoggingWnd);
    // The file dialog hands the focus back to the top-level window.
    SetFocus(hLoggingWnd);
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE) {
        RepaintPanes();
        return;
    }
    SetSipState(hLoggingWnd, 0);
    wchar_t text[40];
    swprintf(text, 40, L"F:%.8hs", LogRun.FileBaseName);
    DrawStatus(Layout.FileRect, text, Font.Normal);
    DrawRunState(L"Stand By", L"StB");
    if (Settings.InstrumentEnabled == 1) {
        DrawStatus(Layout.LineRect, Settings.SurveyLine, Font.Bold);
        DrawStationReadout();
    }
    ShowCommandPage(FILE_STANDBY);
    LogRun.FileState = FILE_STANDBY;
    RepaintPanes();
}

// The Pause button alone, "Logging" in the state field.
static void ShowRecordingPage()
{
    DrawRunState(L"Logging", L"Log");
    ShowCommandPage(FILE_RECORDING);
}

// The Run page, "Stand By" in the state field.
static void ShowStandByPage()
{
    DrawRunState(L"Stand By", L"StB");
    ShowCommandPage(FILE_STANDBY);
}

// The regular reader serves the instrument again after the wheel reader's
// turn, under the stand-by watchdog (the streamed one was stopped for Wheel
// recording too).
static void ResumeRegularReader()
{
    ResumeThread(hInstrumentThread);
    if (Acq.PolledMode == 1)
        Acq.FrameReceived = 1;
    else
        ResetFrameThinning();
    Acq.LastDataTick = CeGetTickCount();
    StartWatchdogTimer(0);
}

// The instrument refused to switch into or out of Wheel mode and the
// operator answered No to "Exit Logging?". Both readers are suspended at
// that point; the run goes on in a consistent stand-by: the regular reader
// runs again under the watchdog (which reconnects a silent instrument), the
// Run page is shown and no key can repeat the half-done command.
static void KeepRunInStandBy()
{
    LogRun.Mode = RUN_MODE_WATCHED;
    ResumeRegularReader();
    ShowStandByPage();
    LogRun.FileState = FILE_STANDBY;
    SetFocus(hLoggingWnd);
}

// A refused wheel switch: the operator decides whether the run ends.
// Returns 0 in both cases (the switch did not happen).
static int WheelSwitchRefused()
{
    if (StopLogging(0) == 0) KeepRunInStandBy();
    return 0;
}

// Returns 1 when the instrument now sends one frame per wheel trigger.
static int StartWheelMode()
{
    Settings.ReadingsPerSecond = 5;
    Acq.FrameReceived = 0;
    LogRun.Mode = RUN_MODE_WHEEL;
    StopWatchdogTimer();
    if (Acq.PolledMode == 1)
        EventReset(Acq.hEvent);
    else
        ResetFrameThinning();
    SuspendThread(hInstrumentThread);
    PurgeInstrumentPort();
    if (!ProbeInstrument(Acq.RateChar, 'W', 0)) return WheelSwitchRefused();
    DelayMs(1000);
    PurgeInstrumentPort();
    ResumeThread(hWheelReaderThread);
    ResetFrameThinning();
    return 1;
}

// Returns 1 when the regular reader serves the instrument again.
static int StopWheelMode()
{
    LogRun.Mode = RUN_MODE_WATCHED;
    SuspendThread(hWheelReaderThread);
    if (!ProbeInstrument(Acq.RateChar, 'X', 0)) return WheelSwitchRefused();
    ResumeRegularReader();
    return 1;
}

// The instrument side of Go; returns 0 when a refused wheel switch has
// ended the run or kept it in stand-by.
static int StartInstrumentRecording()
{
    switch (Settings.LoggingMode) {
    case LOGGING_AUTO:
        if (Acq.PolledMode == 1) {
            StopWatchdogTimer();
            Acq.FrameReceived = 1;
            Acq.LastDataTick = CeGetTickCount();
            StartWatchdogTimer(1);
        } else {
            // The settings thin no frames for this instrument.
            ResetFrameThinning();
        }
        return 1;
    case LOGGING_WHEEL: return StartWheelMode();
    default:
        SuspendThread(hInstrumentThread);
        PurgeInstrumentPort();
        ResumeThread(hInstrumentThread);
        Settings.ReadingsPerSecond = 1;
        ResetFrameThinning();
        return 1;
    }
}

// The instrument side of Pause; returns 0 as StartInstrumentRecording.
static int StopInstrumentRecording()
{
    switch (Settings.LoggingMode) {
    case LOGGING_AUTO:
        if (Acq.PolledMode == 1)
            StartWatchdogTimer(0);
        else
            ResetFrameThinning();
        return 1;
    case LOGGING_WHEEL: return StopWheelMode();
    default: ResetFrameThinning(); return 1;
    }
}

static void Go()
{
    // After a failed write or reopen the file must be there again first.
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE && !ReopenDataFile(hLoggingWnd)) {
        SetFocus(hLoggingWnd);
        return;
    }
    ResumeDataFileWrites();
    ShowRecordingPage();
    if (Settings.LoggingMode != LOGGING_MANUAL) LogRun.Mode = Settings.LoggingMode;
    if (Settings.InstrumentEnabled == 1 && !StartInstrumentRecording()) return;
    LogRun.FileState = FILE_RECORDING;
    LogRun.StationStep = 0;
    ResetPaneRunState();
    LogRun.StartTick = CeGetTickCount();
    WriteTextRecord(LogView.ShowMap == 1 ? L"$STARTED1" : L"$STARTED0", 'X');
}

// Recording stops: the readings go on being shown but are not recorded.
// Returns 0 when a refused wheel switch has ended the run.
static int StopRecording()
{
    ShowStandByPage();
    if (Settings.InstrumentEnabled == 1 && !StopInstrumentRecording()) return 0;
    LogRun.FileState = FILE_STANDBY;
    SetFocus(hLoggingWnd);
    return 1;
}

static void Pause()
{
    WriteTextRecord(L"$PAUSED", 'X');
    // Closing and reopening makes everything written so far durable.
    ReopenDataFile(hLoggingWnd);
    StopRecording();
}

// A record could not be written (full or removed card): recording pauses,
// everything written before stays whole, and the operator is told why.
// Go tries again.
LRESULT HandleDataFileError(HWND, UINT, WPARAM, LPARAM)
{
    DWORD error = TakeDataFileError();
    if (error == 0) return 0; // already reported where it happened
    int paused = LogRun.FileState == FILE_RECORDING && StopRecording();
    ReportFileError(hLoggingWnd, L"Cannot write data file", LogRun.FilePath, error,
                    paused ? L"Recording paused." : nullptr);
    SetFocus(hLoggingWnd);
    return 0;
}

// Records that open a new line: the line block and its time.
static void WriteNewLineRecords()
{
    WriteLineBlock();
    WriteTimeRecord();
}

static void QuickLine()
{
    double proposed = ProposedLineNumber(Settings.SurveyLine, Settings.LineIncrement);
    wchar_t text[64];
    swprintf(text, 64, L"Proposed Line: %.2f", proposed);
    int answer = MessageBoxW(hLoggingWnd, text, L"Quick Line", MB_YESNO);
    SetFocus(hLoggingWnd);
    if (answer != IDYES) {
        RepaintPanes();
        return;
    }
    swprintf(Settings.SurveyLine, 24, L"%.2f", proposed);
    LogRun.LineValue = proposed;
    NewLineValues next =
        ProposeNextLine(Settings.LineSequence, Settings.LineDirection, Settings.StartStation,
                        Settings.StationIncrement, LogRun.Station);
    Settings.LineDirection = next.Direction;
    Settings.StartStation = next.StartStation;
    Settings.StationIncrement = next.StationIncrement;
    LogRun.Station = next.StartStation;
    LogRun.StationStarted = 0;
    WriteNewLineRecords();
    AccessConfigFile(CONFIG_SAVE);
    ResetPaneRunState();
    RepaintPanes();
}

static void StartNulling()
{
    LogView.LiveDraw = 1;
    if (Settings.InstrumentEnabled == 1) RequestNulling();
}

static void ShowPopupMenu()
{
    int external = Map.ExtLoaded == 1, ascii = Map.ExtLoaded == 2;
    int menuId, y = 10;
    if (LogRun.FileState != FILE_NONE) {
        menuId = external ? IDR_LOG_MENU_RUN_EXT
                 : ascii  ? IDR_LOG_MENU_RUN_ASCII
                          : IDR_LOG_MENU_RUN;
        if (menuId == IDR_LOG_MENU_RUN) y = 5;
    } else {
        menuId = external ? IDR_LOG_MENU_IDLE_EXT
                 : ascii  ? IDR_LOG_MENU_IDLE_ASCII
                          : IDR_LOG_MENU_IDLE;
    }
    HMENU menu = LoadMenuW(App.hInstance, MAKEINTRESOURCEW(menuId));
    if (menu == NULL) return;
    TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTALIGN, 180, y, hLoggingWnd, NULL);
    DestroyMenu(menu);
    LogView.LiveDraw = 1;
}

struct DialogAction {
    int Action;
    const wchar_t* Template;
    int OwnedByCurve;
    DLGPROC Proc;
};

static const DialogAction DialogActions[] = {
    {ACT_NEW_LINE, L"GetNewLine", 1, NewLineDlgProc},
    {ACT_NEW_STATION, L"GetNewStation", 1, NewStationDlgProc},
    {ACT_COMMENT, L"GetComment", 1, CommentDlgProc},
    {ACT_SCALE_MAP, L"GetNewMapScale", 0, MapScaleDlgProc},
    {ACT_SCALE_PROFILE, L"GetNewProfileScale", 1, ProfileScaleDlgProc},
    {ACT_SPEED_SCALE, L"GetNewSpeedScale", 0, SpeedScaleDlgProc},
    {ACT_GPS_WARNING, L"GetGpsWarningMask", 0, GpsWarningMaskDlgProc},
    {ACT_COORDINATES, L"GetCoordinatesDisplay", 0, CoordinatesDisplayDlgProc},
};

static void AfterDialog(int action, INT_PTR result)
{
    switch (action) {
    case ACT_NEW_LINE:
        if (result == 1) {
            WriteNewLineRecords();
            AccessConfigFile(CONFIG_SAVE);
            LogRun.StationStarted = 0;
            ResetPaneRunState();
        }
        break;
    case ACT_COMMENT:
        if (result == 2)
            MessageBoxW(hLoggingWnd, L"Comment entry was cancelled", L"Comment Warning", MB_OK);
        break;
    case ACT_SCALE_MAP:
        if (result == 1) {
            // The last position keeps its place; the map is drawn anew.
            SetupMapGrid();
            RebuildTrackPixels(1);
            RebuildExternalPixels();
            InvalidateRect(hCurveWnd, NULL, TRUE);
        }
        break;
    default: break;
    }
}

static void RunDialogAction(const DialogAction& d)
{
    ShowSipButton(1);
    if (d.Action != ACT_NEW_LINE) SetSipState(hLoggingWnd, 1);
    const wchar_t* name = d.Template;
    if (d.Action == ACT_NEW_LINE && App.StorageMode != STORAGE_C_DRIVE && !Screen.Portrait)
        name = L"GetNewLineHor";
    INT_PTR result = RunDialogTemplate(d.OwnedByCurve ? hCurveWnd : hLoggingWnd, name, d.Proc, 0);
    SetSipState(hLoggingWnd, 0);
    RepaintPanes();
    AfterDialog(d.Action, result);
    LogView.LiveDraw = 1;
    SetFocus(hLoggingWnd);
}

static void ShowMapOptions()
{
    CopyMapOptionsToWorking();
    ShowWindow(hDisplayMapOptionsWnd, SW_SHOW);
    ShowWindow(hLoggingWnd, SW_HIDE);
    SetFocus(hDisplayMapOptionsWnd);
}

static void ShowProfileOptions()
{
    HWND options = CeCreateTopLevelWindow(0, L"DisplayOptionsWnd", L"Display Options", WS_VISIBLE,
                                          Screen.OriginX, Screen.OriginY, Screen.Width,
                                          Screen.Height, NULL, NULL, App.hInstance, NULL);
    if (options == NULL) {
        DestroyWindow(hLoggingWnd);
        return;
    }
    // The options window covers the screen; the panes beneath may go on.
    LogView.LiveDraw = 1;
    SetFocus(options);
}

static void ToggleView()
{
    if (Settings.GpsEnabled == 0 || Settings.InstrumentEnabled == 0) {
        RepaintPanes();
        return;
    }
    if (LogView.ShowMap == 0) {
        LogView.ShowMap = 1;
        DrawStatus(Layout.FileRect, L"Please Wait...", Font.Normal);
        // Positions stored while the profiles were shown join the track.
        RebuildTrackPixels(2);
        RepaintPanes();
        UpdateWindow(hCurveWnd);
        MessageBeep(MB_ICONHAND);
        MessageBeep(MB_ICONHAND);
    } else {
        LogView.ShowMap = 0;
        RepaintPanes(); // the profiles come back from the data file
        UpdateWindow(hCurveWnd);
    }
    LogView.LiveDraw = 1;
}

// External and ASCII position files are drawn around the run's origin,
// so they wait for the first position. An ASCII file's columns are asked
// first.
static void PositionFileCommand(int kind)
{
    if (Map.ExtLoaded != kind && Settings.GpsEnabled == 1 && !GpsFix.Valid) {
        wchar_t text[128];
        swprintf(text, 128, L"%ls\r\n%ls", L"Valid GPS position must be ",
                 L"received to use this option.");
        MessageBoxW(hLoggingWnd, text, L"WARNING", MB_OK);
    } else if (kind == EXTERNAL_ASCII_FILE && Map.ExtLoaded != kind) {
        if (RunDialogTemplate(hLoggingWnd, L"GetAsciiFileSetup", AsciiFileDlgProc, 0) == 1)
            ExternalFileAction(hLoggingWnd, kind);
    } else {
        ExternalFileAction(hLoggingWnd, kind);
    }
    RepaintPanes();
    LogView.LiveDraw = 1;
}

static void RunAction(int action)
{
    if (action >= ACT_NEW_LINE && action <= 116) {
        LogView.LiveDraw = 0;
        DelayMs(3);
    }
    switch (action) {
    case ACT_PRIMARY:
        if (LogRun.FileState == FILE_NONE)
            OpenFile();
        else if (LogRun.FileState == FILE_STANDBY)
            Go();
        else
            Pause();
        return;
    case ACT_QUICK_LINE:
        if (LogRun.FileState == FILE_STANDBY) QuickLine();
        return;
    case ACT_EXIT: StopLogging(0); return;
    case ACT_MENU:
        LogView.LiveDraw = 0;
        ShowPopupMenu();
        return;
    case ACT_NULL: StartNulling(); return;
    case ACT_MAP_OPTIONS: ShowMapOptions(); return;
    case ACT_PROFILE_OPTIONS: ShowProfileOptions(); return;
    case ACT_TOGGLE_VIEW: ToggleView(); return;
    case ACT_EXTERNAL_FILE: PositionFileCommand(EXTERNAL_DATA_FILE); return;
    case ACT_ASCII_FILE: PositionFileCommand(EXTERNAL_ASCII_FILE); return;
    case ACT_HIDE_MENU:
        RepaintPanes();
        LogView.LiveDraw = 1;
        return;
    default: break;
    }
    for (const DialogAction& d : DialogActions)
        if (d.Action == action) {
            // Line, station and comment belong to an open data file.
            if (action <= ACT_COMMENT && LogRun.FileState == FILE_NONE) break;
            RunDialogAction(d);
            return;
        }
    LogView.LiveDraw = 1;
}

// Key while recording: only the soft marker and the pause key count.
static int ActionOfRecordingKey(int key)
{
    if (IsSoftMarkerKey(key, Settings.SoftMarker)) Acq.MarkPending = 1;
    return IsPauseKey(key, Settings.PauseKey, Acq.MarkPending) ? ACT_PRIMARY : ACT_NONE;
}

static int ActionOfStandbyKey(int key)
{
    if (Settings.SoftMarker == 1 && IsSoftMarkerKey(key, 1) && Acq.MarkPending == 0)
        Acq.MarkPending = 1;
    int step = HighlightStep(key);
    if (step != 0) {
        MoveHighlight(step);
        return ACT_NONE;
    }
    if (key == KEY_RETURN) return LogWnd.ButtonFocus;
    return ActionOfKey(key, LogRun.FileState);
}

// Until the readings are ready the keys of a disabled "&File", "N&ull" or
// "&Menu" button do nothing, as the buttons themselves.
static int FileCommandDisabled(int action)
{
    if (LogRun.FileState != FILE_NONE) return 0;
    int index = action == ACT_PRIMARY ? 0 : action == ACT_NULL ? 1 : action == ACT_MENU ? 3 : -1;
    return index >= 0 && !IsWindowEnabled(LogWnd.FileButton[index]);
}

LRESULT HandleLoggingCommand(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    SetFocus(hLoggingWnd);
    int action = ACT_NONE;
    if (msg == WM_COMMAND) {
        int id = LOWORD(wParam);
        action = ActionOfMenuId(id);
        if (action == ACT_NONE && id >= IDC_LOG_BUTTON_FIRST && id < IDC_LOG_BUTTON_FIRST + 4)
            action = id - IDC_LOG_BUTTON_FIRST;
    } else if (LogRun.Active == 1) {
        int key = (int)wParam;
        action = LogRun.FileState == FILE_RECORDING ? ActionOfRecordingKey(key)
                                                    : ActionOfStandbyKey(key);
    }
    if (action == ACT_QUICK_LINE && LogRun.FileState == FILE_NONE) action = ACT_NULL;
    if (FileCommandDisabled(action)) return 0;
    if (action != ACT_NONE) RunAction(action);
    return 0;
}

LRESULT HandleLoggingKeyUp(HWND, UINT, WPARAM wParam, LPARAM)
{
    SetFocus(hLoggingWnd);
    if (LogRun.Active == 1 && IsSoftMarkerKey((int)wParam, Settings.SoftMarker) &&
        Acq.MarkPending == 1)
        Acq.MarkPending = 0;
    return 0;
}
