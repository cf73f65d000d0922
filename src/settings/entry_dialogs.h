// The entry dialogs of the logging window: new line, new station, comment,
// the map, profile and speed-bar scales, the coordinates shown and the
// columns of an ASCII position file; and the main menu's choice of the
// total-station input the GPS monitor shows. Run them with
// RunDialogTemplate (app/dialog_template.h).
#pragma once
#include <windows.h>

INT_PTR CALLBACK NewLineDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK NewStationDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CommentDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK MapScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ProfileScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK SpeedScaleDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CoordinatesDisplayDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK AsciiFileDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK MonitorRtsDlgProc(HWND, UINT, WPARAM, LPARAM);
