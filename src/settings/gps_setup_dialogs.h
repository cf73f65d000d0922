// GPS Port Setup (main menu) and GPS Warning Mask (logging window): the
// GPS settings, written back and saved only on OK.
#pragma once
#include <windows.h>

INT_PTR CALLBACK GpsPortSetupDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK GpsWarningMaskDlgProc(HWND, UINT, WPARAM, LPARAM);
