// The three pages of command buttons of the logging window (File, Run,
// Pause), switched as the data file's state changes.
#include "logging/command_buttons.h"
#include "app/app_state.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"

void ShowCommandPage(int fileState)
{
    for (int i = 0; i < 4; ++i) {
        // The first button of the page shown is highlighted, no other.
        SendMessageW(LogWnd.FileButton[i], BM_SETSTYLE,
                     fileState == FILE_NONE && i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        SendMessageW(LogWnd.RunButton[i], BM_SETSTYLE,
                     fileState == FILE_STANDBY && i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        ShowWindow(LogWnd.FileButton[i], fileState == FILE_NONE ? SW_SHOW : SW_HIDE);
        ShowWindow(LogWnd.RunButton[i], fileState == FILE_STANDBY ? SW_SHOW : SW_HIDE);
    }
    SendMessageW(LogWnd.PauseButton, BM_SETSTYLE,
                 fileState == FILE_RECORDING ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    ShowWindow(LogWnd.PauseButton, fileState == FILE_RECORDING ? SW_SHOW : SW_HIDE);
    LogWnd.ButtonFocus = 0;
    LogWnd.ButtonCount = 4;
    LogWnd.ButtonFirst = 0;
}

void EnableFileCommands(BOOL fileEnabled, BOOL nullEnabled, BOOL menuEnabled)
{
    EnableWindow(LogWnd.FileButton[0], fileEnabled);
    EnableWindow(LogWnd.FileButton[1], nullEnabled);
    EnableWindow(LogWnd.FileButton[3], menuEnabled);
}
