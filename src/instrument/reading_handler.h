// Handler of the EM61-MK2 reading message of the logging window.
#pragma once
#include <windows.h>

LRESULT HandleEm61Mk2Reading(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Per-run flags of the reading handler, cleared by the launch.
void ResetReadingHandlerRunFlags();
