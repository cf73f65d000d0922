// Handler of the EM61-MK2 reading message of the logging window.
#pragma once
#include <windows.h>

LRESULT HandleEm61Mk2Reading(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void CompressValues(float a1, float a2, float a3, float a4, float* o1, float* o2, float* o3,
                    float* o4);
// Per-run flags of the reading handler, cleared by the launch.
void ResetReadingHandlerRunFlags();
