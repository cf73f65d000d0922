// Survey Setup, System Setup and Logger Setup of the main menu: the
// settings that shape a survey, written back and saved only on OK.
#pragma once
#include <windows.h>

INT_PTR CALLBACK SurveySetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK SystemSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
// Ends with 1 after "Reset to Default Settings" deleted the file.
INT_PTR CALLBACK LoggerSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
