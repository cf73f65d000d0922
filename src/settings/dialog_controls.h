// Small helpers of the dialog procedures: numbers in edit fields, combo
// lists and their choice.
#pragma once
#include <windows.h>

void SetNumber(HWND dialog, int id, const wchar_t* format, double value);
// Text that does not start with a number reads as 0.
double GetNumber(HWND dialog, int id, int maxChars = 31);
void FillCombo(HWND dialog, int id, const wchar_t* const* items, int count, int selected);
int ComboChoice(HWND dialog, int id);
// Shows or hides a control.
void ShowControl(HWND dialog, int id, int shown);
// The end of a dialog: OK runs accept and ends with what it returns, Cancel
// ends with 0. FALSE for any other command.
INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam, INT_PTR (*accept)(HWND));
