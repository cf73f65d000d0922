// Commands of the logging window: buttons, keys and popup-menu entries.
#pragma once
#include <windows.h>

// WM_COMMAND and WM_KEYDOWN: one action number, then its command.
LRESULT HandleLoggingCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// WM_KEYUP: releases the soft marker.
LRESULT HandleLoggingKeyUp(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// WM_QOR_FILE_ERROR: a record write failed; pauses and tells the operator.
LRESULT HandleDataFileError(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
