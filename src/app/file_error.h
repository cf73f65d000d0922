// The operator's word on a data or configuration file that cannot be
// written: a full or removed storage card must never pass silently.
#pragma once
#include <windows.h>

// MessageBoxW captioned "FILE ERROR": what failed, the file, the system's
// reason for `error` (GetLastError) and, when given, what happens next.
void ReportFileError(HWND owner, const wchar_t* what, const wchar_t* path, DWORD error,
                     const wchar_t* consequence = nullptr);
