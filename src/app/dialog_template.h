// Modal dialogs built from dialog templates stored as resources by name.
#pragma once
#include <windows.h>

// Runs the template `name` (resource type 5) modally; returns the
// EndDialog value, or -1 when the template is missing.
INT_PTR RunDialogTemplate(HWND owner, const wchar_t* name, DLGPROC proc, LPARAM param);
